#include "serial/timerline.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr qint64 kMicrosPerSecond = 1'000'000;

bool isInfo(char c)
{
    return c == '?' || c == 'm' || c == 'c' || c == 'd' || c == 'i' || c == 'n';
}

bool allDigits(const QByteArray &field)
{
    if (field.isEmpty())
        return false;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// "c0", "c1M", "c5", "RT", "TT"; empty text for anything else.
bool readChannel(const QByteArray &field, TimerLine &line)
{
    if (field == "RT" || field == "TT") {
        line.channel = field == "RT" ? TimerChannel::RunTime : TimerChannel::TotalTime;
        line.channelText = QString::fromLatin1(field);
        return true;
    }
    const bool keypad = field.size() == 3 && field[2] == 'M';
    if ((field.size() != 2 && !keypad) || field[0] != 'c' || field[1] < '0' || field[1] > '8')
        return false;
    const int number = field[1] - '0';
    if (number == 0)
        line.channel = keypad ? TimerChannel::StartKeypad : TimerChannel::Start;
    else if (number == 1)
        line.channel = keypad ? TimerChannel::FinishKeypad : TimerChannel::Finish;
    else
        line.channel = TimerChannel::Other;
    line.channelText = QString::fromLatin1(field);
    return true;
}

// H:MM:SS with 0 to 4 decimals after a point or a comma; a run time may go
// without hours (MM:SS) or minutes (SS).
bool readTime(const QByteArray &field, bool duration, TimerLine &line)
{
    static const QRegularExpression timeOfDay(u"^(\\d{1,2}):(\\d\\d):(\\d\\d)(?:[.,](\\d{0,4}))?$"_s);
    static const QRegularExpression runTime(u"^(?:(?:(\\d{1,2}):)?(\\d{1,2}):)?(\\d{1,2})(?:[.,](\\d{0,4}))?$"_s);
    const auto match = (duration ? runTime : timeOfDay).match(QString::fromLatin1(field));
    if (!match.hasMatch())
        return false;
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    const int seconds = match.captured(3).toInt();
    if (hours > 23 || minutes > 59 || seconds > 59)
        return false;
    const QString fraction = match.captured(4);
    qint64 micros = 0;
    for (int k = 0; k < 6; ++k)
        micros = micros * 10 + (k < fraction.size() ? fraction[k].digitValue() : 0);
    line.micros = ((hours * 60 + minutes) * 60 + seconds) * kMicrosPerSecond + micros;
    line.decimals = int(fraction.size());
    return true;
}

TimerDecode refused(const QString &why)
{
    TimerDecode d;
    d.error = why;
    return d;
}

} // namespace

TimerDecode decodeTimerLine(const QByteArray &text)
{
    for (const char c : text) {
        if (uchar(c) < 0x20 && c != '\t')
            return refused(u"Steuerzeichen in der Zeile"_s);
        if (uchar(c) >= 0x7F)
            return refused(u"Zeichen außerhalb von ASCII"_s);
    }
    QList<QByteArray> fields = text.simplified().split(' ');
    fields.removeAll(QByteArray());
    if (fields.isEmpty())
        return refused(u"leere Zeile"_s);

    TimerDecode d;
    TimerLine &line = d.line;
    qsizetype k = 0;
    // The info character stands in the first column, in front of the start
    // number when it has all four digits, else on its own.
    const QByteArray &first = fields[0];
    // ("c0" alone is the channel of a line without start number.)
    TimerLine probe;
    const bool glued = first.size() > 1 && allDigits(first.mid(1)) && fields.size() > 1 && readChannel(fields[1], probe);
    if (isInfo(first[0]) && (first.size() == 1 || glued)) {
        line.info = first[0];
        if (first.size() == 1)
            ++k;
        else
            fields[0] = first.mid(1);
    }
    if (k < fields.size() && allDigits(fields[k])) {
        if (fields[k].size() > 5)
            return refused(u"Startnummer zu lang"_s);
        line.startNumber = fields[k].toInt();
        ++k;
    }
    if (k >= fields.size() || !readChannel(fields[k], line))
        return refused(u"kein Kanal (c0…c8, c0M, c1M, RT, TT) an seiner Stelle"_s);
    ++k;
    const bool duration = line.channel == TimerChannel::RunTime || line.channel == TimerChannel::TotalTime;
    if (k >= fields.size() || !readTime(fields[k], duration, line))
        return refused(u"keine Zeit (HH:MM:SS,zhtq) an ihrer Stelle"_s);
    ++k;
    // Group and rank, or the "00" of timers that have none.
    QStringList trailer;
    for (; k < fields.size(); ++k) {
        if (!allDigits(fields[k]) || trailer.size() == 2)
            return refused(u"unerwartetes Feld nach der Zeit: %1"_s.arg(QString::fromLatin1(fields[k])));
        trailer.append(QString::fromLatin1(fields[k]));
    }
    line.trailer = trailer.join(u' ');
    d.ok = true;
    return d;
}

QString timerTimeText(qint64 micros, int decimals)
{
    const qint64 seconds = micros / kMicrosPerSecond;
    QString text = u"%1:%2:%3"_s.arg(seconds / 3600, 2, 10, QChar(u'0'))
                       .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
                       .arg(seconds % 60, 2, 10, QChar(u'0'));
    if (decimals > 0) {
        const qint64 fraction = micros % kMicrosPerSecond;
        text += u',' + u"%1"_s.arg(fraction, 6, 10, QChar(u'0')).left(decimals);
    }
    return text;
}

QString timerLineMeaning(const TimerLine &line)
{
    QString what;
    switch (line.channel) {
    case TimerChannel::Start:
        what = u"Start"_s;
        break;
    case TimerChannel::Finish:
        what = u"Ziel"_s;
        break;
    case TimerChannel::StartKeypad:
        what = u"Start (Handzeit, Taste)"_s;
        break;
    case TimerChannel::FinishKeypad:
        what = u"Ziel (Handzeit, Taste)"_s;
        break;
    case TimerChannel::Other:
        what = u"Kanal %1"_s.arg(line.channelText);
        break;
    case TimerChannel::RunTime:
        what = u"Laufzeit"_s;
        break;
    case TimerChannel::TotalTime:
        what = u"Gesamtzeit"_s;
        break;
    }
    what += u' ' + timerTimeText(line.micros, line.decimals);
    if (line.startNumber >= 0)
        what += u", Gerät Nr. %1"_s.arg(line.startNumber);
    switch (line.info) {
    case '?': what += u", ohne gültige Startnummer"_s; break;
    case 'm': what += u", aus dem Speicher"_s; break;
    case 'c': what += u", gelöscht"_s; break;
    case 'd': what += u", disqualifiziert"_s; break;
    case 'i': what += u", von Hand eingegeben"_s; break;
    case 'n': what += u", neue Startnummer"_s; break;
    default: break;
    }
    return what;
}

QList<TimerLineSplitter::Line> TimerLineSplitter::feed(const QByteArray &bytes, const ContactStamp &arrival)
{
    QList<Line> lines;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_pending.isEmpty())
                lines.append({std::exchange(m_pending, {}), arrival});
            continue;
        }
        m_pending.append(c);
        if (m_pending.size() >= kMaxLine)
            lines.append({std::exchange(m_pending, {}), arrival});
    }
    return lines;
}

} // namespace vex
