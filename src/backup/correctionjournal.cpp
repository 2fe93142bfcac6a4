#include "backup/correctionjournal.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

CorrectionJournal::CorrectionJournal(QString folder, std::function<QDateTime()> now)
    : m_folder(std::move(folder))
    , m_now(now ? std::move(now) : [] { return QDateTime::currentDateTime(); })
{
}

QString CorrectionJournal::pathFor(const QDate &day) const
{
    return m_folder + u"/Korrekturen-"_s + day.toString(u"yyyy-MM-dd"_s) + u".txt"_s;
}

void CorrectionJournal::append(const QString &line)
{
    const QDateTime now = m_now();
    QFile file(pathFor(now.date()));
    const qint64 size = QFileInfo(file.fileName()).size();
    if (size >= kMaxDayBytes || m_fullOn == now.date())
        return;
    QString text = now.toString(u"yyyy-MM-dd HH:mm:ss"_s) + u"  "_s;
    // One line per command, whatever the names in it hold.
    for (const QChar c : line)
        text.append(c == u'\r' || c == u'\n' ? u' ' : c);
    QByteArray bytes = text.toUtf8() + "\r\n";
    if (size + bytes.size() >= kMaxDayBytes) {
        m_fullOn = now.date();
        bytes = (now.toString(u"yyyy-MM-dd HH:mm:ss"_s)
                 + u"  Das Journal dieses Tages ist voll; weitere Korrekturen stehen nur in der Sicherung.\r\n"_s)
                    .toUtf8();
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(bytes);
    file.flush();
}

} // namespace vex
