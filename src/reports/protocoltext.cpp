#include "reports/protocoltext.h"

#include "reports/textcodec.h"
#include "results/competition.h"

#include <QStringMatcher>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr QStringView kHeadingMark = u"KLASSE:";
constexpr QStringView kHeadingPrefix = u"KLASSE: ";
constexpr QStringView kLineEnd = u"\r\n";
constexpr char16_t kEndOfFile = 0x1A;

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0x20; });
}

// Blanks and control characters at either end go, as for every cell test.
QString trimmedBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

bool hasTabRun(QStringView line)
{
    qsizetype at = line.indexOf(u'\t');
    while (at >= 0 && at + 1 < line.size()) {
        if (line[at + 1] == u'\t')
            return true;
        at = line.indexOf(u'\t', at + 1);
    }
    return false;
}

QString collapsedTabRuns(QStringView line)
{
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == u'\t' && out.endsWith(u'\t'))
            continue;
        out.append(c);
    }
    return out;
}

// A start list may be TAB- or semicolon-separated; a line with any TAB is
// split at TABs only, so semicolons inside a name stay.
QStringList splitFields(QStringView rawLine)
{
    QString collapsed;
    QStringView line = rawLine;
    if (hasTabRun(line)) {
        collapsed = collapsedTabRuns(line);
        line = collapsed;
    }
    const QChar separator = line.contains(u'\t') ? u'\t' : u';';
    QStringList fields;
    fields.reserve(kColumnCount);
    qsizetype from = 0;
    while (fields.size() < kColumnCount) {
        const qsizetype at = line.indexOf(separator, from);
        const QStringView field = line.sliced(from, (at < 0 ? line.size() : at) - from);
        fields.append(field.isEmpty() ? u" "_s : field.toString());
        // A separator at the very end of the line makes no further field.
        if (at < 0 || at + 1 == line.size())
            break;
        from = at + 1;
    }
    return fields;
}

// A TAB or line break inside a cell would split it on reading, and byte 1A
// would end the file there; neither can be stored, so they are replaced.
void appendStorable(QByteArray &out, const QString &text)
{
    const bool clean = std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == u'\t' || c == u'\r' || c == u'\n' || c.unicode() == kEndOfFile;
    });
    if (clean) {
        appendWindows1252(out, text);
        return;
    }
    QString storable = text;
    for (QChar &c : storable) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
        else if (c.unicode() == kEndOfFile)
            c = u'?';
    }
    appendWindows1252(out, storable);
}

void fillPage(ResultPage &page, const QList<QStringList> &rows)
{
    page.setRowCount(std::max<int>(2, int(rows.size())));
    for (int r = 0; r < rows.size(); ++r)
        page.setRow(r, rows.at(r));
    // A start list often names only its own columns ("StNr;Fahrer/in;Ortsclub");
    // the run columns keep their usual titles, in the grid, the saved
    // protocol and the web page alike.
    const QStringList &titles = defaultColumnTitles();
    for (int c = 0; c < kColumnCount; ++c) {
        if (isBlankCell(page.cell(0, c)))
            page.setCell(0, c, titles.at(c));
    }
}

} // namespace

QList<ProtocolBlock> parseProtocolBytes(QByteArrayView bytes)
{
    const qsizetype eof = bytes.indexOf('\x1A');
    if (eof >= 0)
        bytes = bytes.first(eof);
    const QString text = decodeStartListText(bytes);
    static const QStringMatcher headingMark(kHeadingMark);

    QList<ProtocolBlock> blocks;
    QString withoutCr;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf(u'\n', pos);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).sliced(pos, end - pos);
        pos = end + 1;

        // CR LF ends a line like LF does; a CR on its own is dropped.
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.contains(u'\r')) {
            withoutCr = line.toString();
            withoutCr.remove(u'\r');
            line = withoutCr;
        }
        if (isBlank(line))
            continue;
        if (headingMark.indexIn(line) >= 0) {
            ProtocolBlock block;
            block.hasHeading = true;
            block.classEntry = line.sliced(std::min(line.size(), kHeadingPrefix.size())).toString();
            blocks.append(block);
            continue;
        }
        if (blocks.isEmpty())
            blocks.append(ProtocolBlock{});
        blocks.last().rows.append(splitFields(line));
    }
    return blocks;
}

QByteArray formatProtocolBlocks(const QList<ProtocolBlock> &blocks)
{
    qsizetype estimate = 0;
    for (const ProtocolBlock &b : blocks)
        estimate += 32 + b.rows.size() * 96;
    QByteArray out;
    out.reserve(estimate);
    const QByteArray lineEnd = kLineEnd.toLatin1();

    for (const ProtocolBlock &block : blocks) {
        appendWindows1252(out, kHeadingPrefix);
        appendStorable(out, block.classEntry);
        out.append(lineEnd);
        out.append(lineEnd);
        for (const QStringList &row : block.rows) {
            for (int c = 0; c < kColumnCount; ++c) {
                const QString cell = c < row.size() ? row.at(c) : QString();
                if (cell.isEmpty())
                    out.append(' ');
                else
                    appendStorable(out, cell);
                out.append('\t');
            }
            out.append(lineEnd);
        }
        out.append(lineEnd);
    }
    return out;
}

QList<ProtocolBlock> protocolBlocks(const Competition &competition)
{
    QList<ProtocolBlock> blocks;
    const qsizetype n = std::min<qsizetype>(competition.classes().size(), Competition::pageCount());
    for (int k = 0; k < n; ++k) {
        const ResultPage *page = competition.page(k);
        ProtocolBlock block;
        block.hasHeading = true;
        block.classEntry = page->caption();
        // A class without a first driver is stored as its heading only.
        if (page->rows() >= 2 && !page->cell(1, ColName).isEmpty()) {
            for (int r = 0; r < page->rows(); ++r)
                block.rows.append(page->row(r));
        }
        blocks.append(block);
    }
    return blocks;
}

ProtocolLoadResult applyProtocolBlocks(Competition &competition, const QList<ProtocolBlock> &blocks)
{
    // Nothing of an earlier competition may survive on a page the file
    // doesn't fill.
    competition.resetPages();

    ProtocolLoadResult result;
    QStringList classes;
    int used = 0;
    bool headlessRows = false;
    for (const ProtocolBlock &block : blocks) {
        if (!block.hasHeading) {
            ResultPage *page = competition.page(0);
            fillPage(*page, block.rows);
            page->setTabVisible(true);
            used = 1;
            headlessRows = true;
            continue;
        }
        if (used >= Competition::pageCount()) {
            result.skippedClasses.append(trimmedBlanks(block.classEntry));
            continue;
        }
        // Rows before the first heading hold page 1; give that page an entry
        // so that entry k of the class list stays the class of page k and
        // saving writes every page that was loaded.
        if (headlessRows && classes.isEmpty())
            classes.append(competition.page(0)->caption());
        ResultPage *page = competition.page(used);
        page->setCaption(trimmedBlanks(block.classEntry));
        page->setTabVisible(true);
        fillPage(*page, block.rows);
        classes.append(block.classEntry);
        ++used;
    }
    competition.setClasses(classes);
    return result;
}

QByteArray formatProtocolText(const Competition &competition)
{
    return formatProtocolBlocks(protocolBlocks(competition));
}

ProtocolLoadResult parseProtocolText(Competition &competition, QByteArrayView bytes)
{
    return applyProtocolBlocks(competition, parseProtocolBytes(bytes));
}

} // namespace vex
