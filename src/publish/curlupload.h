#pragma once

#include "publish/publishtarget.h"
#include "publish/uploadresult.h"

#include <atomic>
#include <memory>

namespace vex {

// Sends files to the club's web space through libcurl, blocking: it runs on
// the upload thread only. Each file goes up under a temporary name and is
// renamed once complete, so a reader sees the old file or the new one, never
// half of one. One connection is kept from one call to the next.
class CurlUpload
{
public:
    CurlUpload();
    ~CurlUpload();
    CurlUpload(const CurlUpload &) = delete;
    CurlUpload &operator=(const CurlUpload &) = delete;

    UploadResult upload(const PublishTarget &target, const QList<PublishFile> &files);
    // Logs in, makes the folder and writes and removes a small file there:
    // the steps an upload takes, each reported by name when it fails.
    UploadResult test(const PublishTarget &target);

    // Ends a transfer under way at once (from any thread); the call returns
    // with an error, and later ones fail until cleared.
    void abort() { m_abort = true; }
    void clearAbort() { m_abort = false; }

    // Seconds a connection may take, and a transfer may stall.
    static constexpr long kConnectTimeoutS = 15;
    static constexpr long kStallTimeoutS = 30;

private:
    struct Handle;
    UploadResult send(const PublishTarget &target, const PublishFile &file, bool removeAfter);
    UploadResult makeWebDavFolder(const PublishTarget &target);
    UploadResult certificateOffer(const PublishTarget &target, UploadResult failed);

    std::unique_ptr<Handle> m_handle;
    std::atomic_bool m_abort = false;
};

// "SHA256:..." as OpenSSH shows a host key.
QString sshFingerprint(const QByteArray &keyBlob);
// "sha256//..." of a certificate's public key, from its PEM text; empty when
// it can't be read.
QString certificateFingerprint(const QByteArray &pem);

} // namespace vex
