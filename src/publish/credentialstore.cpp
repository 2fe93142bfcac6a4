#include "publish/credentialstore.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace vex {

QString credentialKey(const QString &address, const QString &user)
{
    const QUrl url(address.trimmed());
    const QString server = url.isValid() && !url.host().isEmpty()
        ? url.scheme().toLower() + u"://"_s + url.host().toLower() + (url.port() > 0 ? u":%1"_s.arg(url.port()) : QString())
        : address.trimmed();
    return u"Vexilor Internet: "_s + user + u'@' + server;
}

} // namespace vex
