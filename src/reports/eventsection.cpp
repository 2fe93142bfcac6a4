#include "reports/eventsection.h"

#include "reports/textcodec.h"

#include <QString>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr QLatin1StringView kHeading("[Veranstaltung]");
constexpr QLatin1StringView kRuns("Wertungslaeufe");
constexpr QLatin1StringView kCounting("Gezaehlt");
constexpr QLatin1StringView kTie("Gleichstand");
constexpr QLatin1StringView kCap("Strafgrenze");
constexpr QLatin1StringView kShared("geteilt");
constexpr QLatin1StringView kBetterRun("Einzellauf");
constexpr QLatin1StringView kClassPrefix("Klasse ");
constexpr QLatin1StringView kStartOrder(".Startfolge");

// A start order longer than any page is no start order.
constexpr int kMaxOrderEntries = 100'000;

void appendLine(QByteArray &out, const QString &line)
{
    out.append(line.toLatin1());
    out.append("\r\n");
}

std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

QByteArray formatEventSection(const EventSection &section)
{
    if (section.isEmpty())
        return {};
    QByteArray out;
    out.append(kEndOfFileMark);
    out.append("\r\n");
    appendLine(out, kHeading);
    if (section.regulation) {
        const Regulation &r = *section.regulation;
        appendLine(out, kRuns + u'=' + QString::number(r.scoringRuns));
        appendLine(out, kCounting + u'=' + QString::number(r.countingRuns));
        appendLine(out, kTie + u'=' + (r.tieBreak == Regulation::BetterSingleRun ? kBetterRun : kShared));
        appendLine(out, kCap + u'=' + QString::number(r.penaltyCap));
    }
    for (auto it = section.startOrders.cbegin(); it != section.startOrders.cend(); ++it) {
        QStringList rows;
        rows.reserve(it.value().size());
        for (const int row : it.value())
            rows.append(QString::number(row));
        appendLine(out, kClassPrefix + QString::number(it.key() + 1) + kStartOrder + u'=' + rows.join(u' '));
    }
    return out;
}

EventSection parseEventSection(QByteArrayView afterMark)
{
    EventSection section;
    Regulation regulation;
    bool namesRegulation = false;
    const QString text = decodeStartListPiece(afterMark);
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            inSection = line == kHeading;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inSection || eq <= 0)
            continue;
        const QString key = line.first(eq).trimmed().toString();
        const QString value = line.sliced(eq + 1).trimmed().toString();
        if (key == kTie) {
            namesRegulation = true;
            regulation.tieBreak = value == kBetterRun ? Regulation::BetterSingleRun : Regulation::SharedPlace;
            continue;
        }
        if (key.startsWith(kClassPrefix) && key.endsWith(kStartOrder)) {
            const std::optional<int> block =
                wholeNumber(key.sliced(kClassPrefix.size(), key.size() - kClassPrefix.size() - kStartOrder.size()));
            if (!block || *block < 1 || *block > kMaxOrderEntries)
                continue;
            QList<int> rows;
            for (const QStringView piece : QStringView(value).split(u' ', Qt::SkipEmptyParts)) {
                const std::optional<int> row = wholeNumber(piece.toString());
                if (!row || *row < 1 || rows.size() >= kMaxOrderEntries) {
                    rows.clear();
                    break;
                }
                rows.append(*row);
            }
            if (!rows.isEmpty())
                section.startOrders.insert(*block - 1, rows);
            continue;
        }
        const std::optional<int> number = wholeNumber(value);
        if (!number)
            continue;
        if (key == kRuns) {
            regulation.scoringRuns = *number;
            namesRegulation = true;
        } else if (key == kCounting) {
            regulation.countingRuns = *number;
            namesRegulation = true;
        } else if (key == kCap) {
            regulation.penaltyCap = *number;
            namesRegulation = true;
        }
    }
    if (namesRegulation)
        section.regulation = regulation.normalised();
    return section;
}

} // namespace vex
