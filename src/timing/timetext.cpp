#include "timing/timetext.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr qsizetype kFullLength = 8;
constexpr qsizetype kMaxLeadingRemoved = 4;

QString twoDigits(int value)
{
    QString s = QString::number(value);
    if (s.size() == 1)
        s.prepend(u'0');
    return s;
}

bool isSignificantDigit(QChar c)
{
    return c >= u'1' && c <= u'9';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int fieldValue(QStringView field)
{
    if (field.size() != 2 || !isDigit(field[0]) || !isDigit(field[1]))
        return 0;
    return (field[0].unicode() - u'0') * 10 + (field[1].unicode() - u'0');
}

} // namespace

QString MsToText(qint32 ms)
{
    const qint32 c = ms / 10;
    const int hundredths = c % 100;
    const int seconds = (c / 100) % 60;
    const int minutes = (c / 6000) % 60;

    const QString text = twoDigits(minutes) + u':' + twoDigits(seconds) + u',' + twoDigits(hundredths);

    qsizetype cut = kMaxLeadingRemoved;
    for (qsizetype i = 0; i < kMaxLeadingRemoved && i < text.size(); ++i) {
        if (isSignificantDigit(text.at(i))) {
            cut = i;
            break;
        }
    }
    return text.mid(cut);
}

qint32 TextToMs(const QString &text)
{
    if (text.size() > kFullLength)
        return 0;
    const QString full = QString(kFullLength - text.size(), u'0') + text;
    const QStringView v(full);
    const int minutes = fieldValue(v.sliced(0, 2));
    const int seconds = fieldValue(v.sliced(3, 2));
    const int hundredths = fieldValue(v.sliced(6, 2));
    return minutes * 60000 + seconds * 1000 + hundredths * 10;
}

QString PadTimeText(const QString &text)
{
    if (text.size() > kFullLength || text.trimmed().isEmpty())
        return text;
    QString padded = u"00:00,00"_s;
    padded.replace(kFullLength - text.size(), text.size(), text);
    return padded;
}

bool isTimeText(const QString &text)
{
    static constexpr QStringView full = u"00:00,00";
    if (text.size() < 4 || text.size() > full.size() || text.size() == 6)
        return false;
    // Aligned at the right with the full form; the digits must be digits,
    // the separators what they are there.
    const qsizetype offset = full.size() - text.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar expected = full[offset + i];
        if (expected == u'0' ? !isDigit(text[i]) : text[i] != expected)
            return false;
    }
    const QString padded = QString(offset, u'0') + text;
    return fieldValue(QStringView(padded).sliced(0, 2)) < 60 && fieldValue(QStringView(padded).sliced(3, 2)) < 60;
}

QString FileDateStamp(const QDateTime &now)
{
    QString stamp = now.toString(u"yyyy-MM-dd-hh-mm"_s);
    stamp.replace(u' ', u'0');
    return stamp;
}

} // namespace vex
