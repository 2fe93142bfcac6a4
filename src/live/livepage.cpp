#include "live/livepage.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const QByteArray &pageTemplate()
{
    static const QByteArray bytes = [] {
        QFile file(u":/live/livepage.html"_s);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

} // namespace

QByteArray scriptSafeJson(const QByteArray &json)
{
    QByteArray out;
    out.reserve(json.size() + json.size() / 16);
    for (char c : json) {
        switch (c) {
        case '<': out.append("\\u003c"); break;
        case '>': out.append("\\u003e"); break;
        case '&': out.append("\\u0026"); break;
        default: out.append(c);
        }
    }
    return out;
}

QByteArray livePage(const QString &title, const QByteArray &document)
{
    // Filled in one pass: a title holding a marker stays as it is typed.
    const QByteArray &t = pageTemplate();
    const qsizetype atTitle = t.indexOf("@TITLE@");
    const qsizetype atData = t.indexOf("@DATA@");
    Q_ASSERT(atTitle >= 0 && atData > atTitle);
    return t.left(atTitle) + title.toHtmlEscaped().toUtf8() + t.mid(atTitle + 7, atData - atTitle - 7)
        + scriptSafeJson(document) + t.mid(atData + 6);
}

} // namespace vex
