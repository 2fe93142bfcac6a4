#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vex {

// How the club's web space is reached. FTPS is FTP with "AUTH TLS" on the
// FTP port, as hosting offers it; https stands for WebDAV.
enum class PublishProtocol { Ftp, Ftps, Sftp, WebDav };

// Where the files go and who we are there: one value, handed whole to the
// upload thread.
struct PublishTarget
{
    PublishProtocol protocol = PublishProtocol::Ftp;
    QString host;      // as typed, an IPv6 address without brackets
    int port = 0;      // 0: the protocol's own
    QString folder;    // below the login's start, "" for the start itself; no leading or trailing "/"
    QString user;
    QString password;
    // The server's key or certificate the operator confirmed: "SHA256:..." for
    // an SSH host key, "sha256//..." for a certificate's public key. Empty:
    // an SSH server is refused, a certificate must be one the system trusts.
    QString trusted;
    // A certificate authority file instead of the system's, for a test's own.
    QString caFile;

    bool operator==(const PublishTarget &) const = default;
};

struct TargetParse
{
    std::optional<PublishTarget> target;
    QString error; // German, when target is empty
};

// The address as typed in the settings ("ftp://", "ftps://", "sftp://",
// "https://"; a path in it goes before folder).
TargetParse parsePublishTarget(const QString &url, const QString &folder);

// The URL curl is given for a file in the target's folder; name empty: the
// folder itself (with a trailing "/").
QByteArray curlUrl(const PublishTarget &target, const QString &name);

// The path of a file as the server's commands name it: absolute for SFTP
// (curl's "~" is the login's home), relative to the folder for FTP.
QByteArray sftpPath(const PublishTarget &target, const QString &name);

} // namespace vex
