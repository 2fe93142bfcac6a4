#include "publish/curlupload.h"

#include <QCryptographicHash>
#include <QSslCertificate>
#include <QSslKey>

#include <curl/curl.h>

#include <cstring>
#include <mutex>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// curl_global_init isn't thread-safe in older libcurl; the first upload
// thread does it once for the program.
void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Reader
{
    const QByteArray *bytes = nullptr;
    qsizetype at = 0;
};

size_t readBytes(char *buffer, size_t size, size_t count, void *user)
{
    auto *r = static_cast<Reader *>(user);
    const qsizetype n = std::min<qsizetype>(qsizetype(size * count), r->bytes->size() - r->at);
    std::memcpy(buffer, r->bytes->constData() + r->at, size_t(n));
    r->at += n;
    return size_t(n);
}

size_t discard(char *, size_t size, size_t count, void *)
{
    return size * count;
}

struct HostKeyCheck
{
    QString trusted;
    QString seen;
};

int checkHostKey(void *user, int, const char *key, size_t length)
{
    auto *check = static_cast<HostKeyCheck *>(user);
    check->seen = sshFingerprint(QByteArray(key, qsizetype(length)));
    return !check->trusted.isEmpty() && check->seen == check->trusted ? CURLKHMATCH_OK : CURLKHMATCH_MISMATCH;
}

int progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic_bool *>(user)->load() ? 1 : 0;
}

struct SList
{
    curl_slist *list = nullptr;
    ~SList() { curl_slist_free_all(list); }
    void add(const QByteArray &line) { list = curl_slist_append(list, line.constData()); }
};

QByteArray quoted(const QByteArray &path)
{
    QByteArray q = path;
    q.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + q + '"';
}

QString hostText(const PublishTarget &t)
{
    return t.port > 0 ? u"%1:%2"_s.arg(t.host).arg(t.port) : t.host;
}

// The German message for what went wrong, by the step it belongs to.
UploadResult failure(CURLcode code, long response, const PublishTarget &t, const QString &file)
{
    UploadResult r;
    const QString host = hostText(t);
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        r.stage = UploadStage::Name;
        r.message = u"Servername „%1“ unbekannt (kein Internet?)"_s.arg(t.host);
        return r;
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_ACCEPT_TIMEOUT:
        r.stage = UploadStage::Connection;
        r.message = u"keine Verbindung zu %1"_s.arg(host);
        return r;
    case CURLE_USE_SSL_FAILED:
        r.stage = UploadStage::Connection;
        r.message = u"%1 bietet keine Verschlüsselung (TLS) an"_s.arg(host);
        return r;
    case CURLE_PEER_FAILED_VERIFICATION:
        r.stage = UploadStage::Trust;
        r.message = u"dem Zertifikat von %1 wird nicht vertraut"_s.arg(host);
        return r;
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        r.stage = UploadStage::Trust;
        r.changed = true;
        r.message = u"das Zertifikat von %1 hat sich geändert – abgelehnt"_s.arg(host);
        return r;
    case CURLE_LOGIN_DENIED:
        r.stage = UploadStage::Login;
        r.message = u"Anmeldung bei %1 abgelehnt (Benutzer oder Passwort falsch)"_s.arg(host);
        return r;
    case CURLE_REMOTE_ACCESS_DENIED:
        r.stage = UploadStage::Folder;
        r.message = u"Ordner „%1“ auf %2 nicht zugänglich"_s.arg(t.folder, host);
        return r;
    case CURLE_REMOTE_DISK_FULL:
        r.stage = UploadStage::Writing;
        r.message = u"Speicherplatz auf %1 voll"_s.arg(host);
        return r;
    case CURLE_ABORTED_BY_CALLBACK:
        r.stage = UploadStage::Connection;
        r.message = u"Übertragung abgebrochen"_s;
        return r;
    case CURLE_HTTP_RETURNED_ERROR:
        if (response == 401) {
            r.stage = UploadStage::Login;
            r.message = u"Anmeldung bei %1 abgelehnt (Benutzer oder Passwort falsch)"_s.arg(host);
        } else if (response == 404 || response == 409) {
            r.stage = UploadStage::Folder;
            r.message = u"Ordner „%1“ auf %2 nicht vorhanden"_s.arg(t.folder, host);
        } else if (response == 507) {
            r.stage = UploadStage::Writing;
            r.message = u"Speicherplatz auf %1 voll"_s.arg(host);
        } else {
            r.stage = UploadStage::Writing;
            r.message = u"%1 lehnt „%2“ ab (HTTP %3)"_s.arg(host, file).arg(response);
        }
        return r;
    default:
        break;
    }
    r.stage = UploadStage::Writing;
    r.message = u"„%1“ konnte auf %2 nicht geschrieben werden (%3)"_s.arg(file, host,
                                                                         QString::fromUtf8(curl_easy_strerror(code)));
    return r;
}

} // namespace

QString sshFingerprint(const QByteArray &keyBlob)
{
    QByteArray b64 = QCryptographicHash::hash(keyBlob, QCryptographicHash::Sha256).toBase64();
    while (b64.endsWith('='))
        b64.chop(1);
    return u"SHA256:"_s + QString::fromLatin1(b64);
}

QString certificateFingerprint(const QByteArray &pem)
{
    const QList<QSslCertificate> certs = QSslCertificate::fromData(pem, QSsl::Pem);
    if (certs.isEmpty())
        return {};
    const QByteArray spki = certs.first().publicKey().toDer();
    if (spki.isEmpty())
        return {};
    return u"sha256//"_s
        + QString::fromLatin1(QCryptographicHash::hash(spki, QCryptographicHash::Sha256).toBase64());
}

struct CurlUpload::Handle
{
    CURL *curl = nullptr;
    PublishTarget target; // the connection kept is to this one
    char error[CURL_ERROR_SIZE] = {};
    Handle()
        : curl(curl_easy_init())
    {
    }
    ~Handle() { curl_easy_cleanup(curl); }
};

CurlUpload::CurlUpload()
{
    initCurlOnce();
}

CurlUpload::~CurlUpload() = default;

UploadResult CurlUpload::upload(const PublishTarget &target, const QList<PublishFile> &files)
{
    if (!m_handle || !(m_handle->target == target)) {
        m_handle = std::make_unique<Handle>();
        m_handle->target = target;
    }
    if (target.protocol == PublishProtocol::WebDav) {
        const UploadResult made = makeWebDavFolder(target);
        if (!made.ok()) {
            m_handle.reset();
            return certificateOffer(target, made);
        }
    }
    for (const PublishFile &file : files) {
        const UploadResult r = send(target, file, false);
        if (!r.ok()) {
            // A broken connection isn't taken up again.
            m_handle.reset();
            return certificateOffer(target, r);
        }
    }
    return {};
}

UploadResult CurlUpload::test(const PublishTarget &target)
{
    m_handle = std::make_unique<Handle>();
    m_handle->target = target;
    UploadResult r;
    if (target.protocol == PublishProtocol::WebDav)
        r = makeWebDavFolder(target);
    if (r.ok())
        r = send(target, PublishFile{u".vexilor-test"_s, "test\n"_ba}, true);
    m_handle.reset();
    return certificateOffer(target, r);
}

// A certificate the system doesn't trust: fetched once more without trusting
// it and without logging in, so the operator can compare its fingerprint
// with the one the host shows.
UploadResult CurlUpload::certificateOffer(const PublishTarget &target, UploadResult failed)
{
    if (failed.stage != UploadStage::Trust || target.protocol == PublishProtocol::Sftp
        || target.protocol == PublishProtocol::Ftp)
        return failed;
    CURL *curl = curl_easy_init();
    // A pin no key has: the handshake ends before anything is sent.
    const QByteArray noKey = "sha256//" + QByteArray(32, '\0').toBase64();
    curl_easy_setopt(curl, CURLOPT_URL, curlUrl(target, {}).constData());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_PINNEDPUBLICKEY, noKey.constData());
    curl_easy_setopt(curl, CURLOPT_CERTINFO, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (target.protocol == PublishProtocol::Ftps)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    curl_easy_perform(curl);
    curl_certinfo *info = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CERTINFO, &info) == CURLE_OK && info && info->num_of_certs > 0) {
        for (curl_slist *s = info->certinfo[0]; s; s = s->next) {
            if (std::strncmp(s->data, "Cert:", 5) == 0) {
                failed.offered = certificateFingerprint(QByteArray(s->data + 5));
                break;
            }
        }
    }
    curl_easy_cleanup(curl);
    return failed;
}

UploadResult CurlUpload::makeWebDavFolder(const PublishTarget &target)
{
    // Each level of the folder, from the top: an existing one answers 405.
    const QStringList parts = target.folder.split(u'/', Qt::SkipEmptyParts);
    PublishTarget level = target;
    for (qsizetype n = 1; n <= parts.size(); ++n) {
        level.folder = parts.mid(0, n).join(u'/');
        CURL *curl = m_handle->curl;
        curl_easy_reset(curl);
        curl_easy_setopt(curl, CURLOPT_URL, curlUrl(level, {}).constData());
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "MKCOL");
        curl_easy_setopt(curl, CURLOPT_USERNAME, target.user.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, target.password.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &m_abort);
        if (!target.caFile.isEmpty())
            curl_easy_setopt(curl, CURLOPT_CAINFO, target.caFile.toLocal8Bit().constData());
        if (target.trusted.startsWith(u"sha256//")) {
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
            curl_easy_setopt(curl, CURLOPT_PINNEDPUBLICKEY, target.trusted.toLatin1().constData());
        }
        const CURLcode code = curl_easy_perform(curl);
        long response = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
        if (code != CURLE_OK)
            return failure(code, response, target, {});
        if (response == 401)
            return failure(CURLE_HTTP_RETURNED_ERROR, response, target, {});
        if (response >= 400 && response != 405) {
            UploadResult r;
            r.stage = UploadStage::Folder;
            r.message = u"Ordner „%1“ auf %2 kann nicht angelegt werden (HTTP %3)"_s.arg(level.folder,
                                                                                      hostText(target))
                            .arg(response);
            return r;
        }
    }
    return {};
}

UploadResult CurlUpload::send(const PublishTarget &target, const PublishFile &file, bool removeAfter)
{
    CURL *curl = m_handle->curl;
    curl_easy_reset(curl);
    const QString part = u'.' + file.name + u".part"_s;
    Reader reader{&file.bytes, 0};
    HostKeyCheck hostKey{target.trusted, {}};
    SList after;
    SList headers;
    const QByteArray user = target.user.toUtf8();
    const QByteArray password = target.password.toUtf8();
    const QByteArray caFile = target.caFile.toLocal8Bit();
    const QByteArray pin = target.trusted.toLatin1();
    const bool webDav = target.protocol == PublishProtocol::WebDav;

    curl_easy_setopt(curl, CURLOPT_URL, curlUrl(target, part).constData());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_handle->error);
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readBytes);
    curl_easy_setopt(curl, CURLOPT_READDATA, &reader);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.bytes.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallTimeoutS);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &m_abort);
    curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    if (pin.startsWith("sha256//")) {
        // A certificate the operator confirmed: its key, not a chain, vouches for it.
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(curl, CURLOPT_PINNEDPUBLICKEY, pin.constData());
    }

    const QByteArray partPath = sftpPath(target, part);
    const QByteArray finalPath = sftpPath(target, file.name);
    switch (target.protocol) {
    case PublishProtocol::Ftps:
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        [[fallthrough]];
    case PublishProtocol::Ftp:
        // After the upload, in the folder curl changed into.
        if (removeAfter) {
            after.add("DELE " + part.toUtf8());
        } else {
            after.add("RNFR " + part.toUtf8());
            after.add("RNTO " + file.name.toUtf8());
        }
        curl_easy_setopt(curl, CURLOPT_POSTQUOTE, after.list);
        break;
    case PublishProtocol::Sftp:
        curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
        curl_easy_setopt(curl, CURLOPT_SSH_HOSTKEYFUNCTION, checkHostKey);
        curl_easy_setopt(curl, CURLOPT_SSH_HOSTKEYDATA, &hostKey);
        if (removeAfter) {
            after.add("rm " + quoted(partPath));
        } else {
            // SFTP's rename won't replace a file on most servers: the old
            // one goes first ("*": its absence is no error).
            after.add("*rm " + quoted(finalPath));
            after.add("rename " + quoted(partPath) + ' ' + quoted(finalPath));
        }
        curl_easy_setopt(curl, CURLOPT_POSTQUOTE, after.list);
        break;
    case PublishProtocol::WebDav:
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
        break;
    }

    CURLcode code = curl_easy_perform(curl);
    long response = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
    if (code == CURLE_OK && webDav) {
        // The second step: MOVE over the old file, or DELETE after a test.
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, removeAfter ? "DELETE" : "MOVE");
        if (!removeAfter) {
            headers.add("Destination: " + curlUrl(target, file.name));
            headers.add("Overwrite: T");
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);
        }
        code = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
    }
    if (code == CURLE_OK)
        return {};
    // libssh2 reports the host key check and a refused login alike.
    if (target.protocol == PublishProtocol::Sftp && !hostKey.seen.isEmpty() && hostKey.seen != target.trusted) {
        UploadResult r;
        r.stage = UploadStage::Trust;
        r.offered = hostKey.seen;
        r.changed = !target.trusted.isEmpty();
        r.message = r.changed ? u"der Schlüssel von %1 hat sich geändert – abgelehnt"_s.arg(hostText(target))
                              : u"der Schlüssel von %1 ist noch nicht bestätigt"_s.arg(hostText(target));
        return r;
    }
    UploadResult r = failure(code, response, target, file.name);
    // A folder that can't be entered or made reads as refused access.
    if (r.stage == UploadStage::Writing && code == CURLE_QUOTE_ERROR)
        r.message = u"„%1“ konnte auf %2 nicht umbenannt werden"_s.arg(file.name, hostText(target));
    return r;
}

} // namespace vex
