#include "publish/publishtarget.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString cleanFolder(QString folder)
{
    folder.replace(u'\\', u'/');
    QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
    parts.removeAll(u"."_s);
    return parts.join(u'/');
}

} // namespace

TargetParse parsePublishTarget(const QString &typed, const QString &folder)
{
    TargetParse out;
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        out.error = u"Keine Serveradresse eingetragen."_s;
        return out;
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    PublishTarget t;
    if (scheme == u"ftp")
        t.protocol = PublishProtocol::Ftp;
    else if (scheme == u"ftps")
        t.protocol = PublishProtocol::Ftps;
    else if (scheme == u"sftp")
        t.protocol = PublishProtocol::Sftp;
    else if (scheme == u"https")
        t.protocol = PublishProtocol::WebDav;
    else {
        out.error = u"Die Serveradresse muss mit ftp://, ftps://, sftp:// oder https:// beginnen."_s;
        return out;
    }
    if (!url.isValid() || url.host().isEmpty()) {
        out.error = u"Die Serveradresse „%1“ ist ungültig."_s.arg(text);
        return out;
    }
    t.host = url.host();
    t.port = url.port(0);
    const QString fromUrl = cleanFolder(url.path());
    const QString typedFolder = cleanFolder(folder);
    if (fromUrl.split(u'/').contains(u".."_s) || typedFolder.split(u'/').contains(u".."_s)) {
        out.error = u"Der Ordner darf kein „..“ enthalten."_s;
        return out;
    }
    t.folder = fromUrl.isEmpty() ? typedFolder : typedFolder.isEmpty() ? fromUrl : fromUrl + u'/' + typedFolder;
    out.target = t;
    return out;
}

QByteArray curlUrl(const PublishTarget &target, const QString &name)
{
    QUrl url;
    switch (target.protocol) {
    case PublishProtocol::Ftp:
    case PublishProtocol::Ftps: url.setScheme(u"ftp"_s); break; // TLS is asked for with AUTH TLS
    case PublishProtocol::Sftp: url.setScheme(u"sftp"_s); break;
    case PublishProtocol::WebDav: url.setScheme(u"https"_s); break;
    }
    url.setHost(target.host);
    if (target.port > 0)
        url.setPort(target.port);
    QString path = u"/"_s;
    // curl takes an SFTP path from the root, and "/~/" for the login's home.
    if (target.protocol == PublishProtocol::Sftp)
        path += u"~/"_s;
    if (!target.folder.isEmpty())
        path += target.folder + u'/';
    path += name;
    url.setPath(path);
    return url.toEncoded();
}

QByteArray sftpPath(const PublishTarget &target, const QString &name)
{
    // curl's SFTP quote commands take paths as the server does: relative ones
    // from the login's home.
    const QString path = target.folder.isEmpty() ? name : target.folder + u'/' + name;
    return path.toUtf8();
}

} // namespace vex
