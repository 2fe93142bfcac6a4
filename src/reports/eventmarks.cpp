#include "reports/eventmarks.h"

#include "results/competition.h"
#include "results/runcell.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

bool holdsAnything(const QStringList &row)
{
    return std::any_of(row.cbegin(), row.cend(), [](const QString &cell) { return !isBlankCell(cell); });
}

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return text.trimmed();
}

} // namespace

EventKeys eventMarkKeys(const Competition &competition)
{
    EventKeys keys;
    if (competition.eventDate().isValid())
        keys.append({u"Datum"_s, competition.eventDate().toString(Qt::ISODate)});
    if (!competition.eventPlace().trimmed().isEmpty())
        keys.append({u"Ort"_s, oneLine(competition.eventPlace())});
    const qsizetype n = std::min<qsizetype>(competition.classes().size(), Competition::pageCount());
    for (int k = 0; k < n; ++k) {
        const ResultPage &page = *competition.page(k);
        // Rows are numbered as the file holds them: the empty ones are left out.
        int written = 0;
        for (int r = 1; r < page.rows(); ++r) {
            if (!holdsAnything(page.row(r)))
                continue;
            ++written;
            const RowMarks &m = page.marks(r);
            if (m.isEmpty())
                continue;
            const QString prefix = u"Klasse %1.Zeile %2."_s.arg(k + 1).arg(written);
            if (m.gender != Gender::None)
                keys.append({prefix + u"mw"_s, genderText(m.gender)});
            QStringList hand;
            for (int run = 0; run <= kMaxScoringRuns; ++run) {
                if (m.isHandTime(run))
                    hand.append(QString::number(run));
            }
            if (!hand.isEmpty())
                keys.append({prefix + u"Handzeit"_s, hand.join(u',')});
            for (int run = 0; run <= kMaxScoringRuns; ++run) {
                if (m.isDisqualifiedRun(run))
                    keys.append({prefix + u"Lauf %1 DIS"_s.arg(run), oneLine(m.keptTimes.at(std::size_t(run)))});
            }
        }
    }
    return keys;
}

bool applyEventMarkKey(Competition &competition, const QString &key, const QString &value)
{
    if (key == u"Datum"_s) {
        const QDate day = QDate::fromString(value.trimmed(), Qt::ISODate);
        if (day.isValid())
            competition.setEventDate(day);
        return true;
    }
    if (key == u"Ort"_s) {
        competition.setEventPlace(value.trimmed());
        return true;
    }
    static const QRegularExpression rowKey(u"^Klasse (\\d{1,2})\\.Zeile (\\d{1,6})\\.(mw|Handzeit|Lauf (\\d) DIS)$"_s);
    const QRegularExpressionMatch m = rowKey.match(key);
    if (!m.hasMatch())
        return false;
    const int k = m.captured(1).toInt() - 1;
    const int row = m.captured(2).toInt();
    if (k < 0 || k >= Competition::pageCount() || k >= competition.classes().size())
        return true;
    ResultPage &page = *competition.page(k);
    if (row < 1 || row >= page.rows())
        return true;
    RowMarks marks = page.marks(row);
    const QString what = m.captured(3);
    if (what == u"mw"_s) {
        marks.gender = readGender(value);
    } else if (what == u"Handzeit"_s) {
        for (const QString &run : value.split(u',', Qt::SkipEmptyParts)) {
            bool ok = false;
            const int r = run.trimmed().toInt(&ok);
            // The mark goes with a time only.
            if (ok && r >= 0 && r <= kMaxScoringRuns && !isBlankCell(page.cell(row, timeColumn(r))))
                marks.setHandTime(r, true);
        }
    } else {
        const int r = m.captured(4).toInt();
        if (r <= kMaxScoringRuns && page.cell(row, timeColumn(r)).trimmed() == kDisMark)
            marks.setDisqualifiedRun(r, true, value.trimmed());
    }
    page.setMarks(row, marks);
    return true;
}

} // namespace vex
