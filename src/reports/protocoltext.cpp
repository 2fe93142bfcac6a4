#include "reports/protocoltext.h"

#include "reports/textcodec.h"
#include "results/competition.h"
#include "results/regulation.h"
#include "results/runcell.h"


#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr QByteArrayView kHeadingMark = "KLASSE:";
constexpr QStringView kHeadingPrefix = u"KLASSE: ";
constexpr qsizetype kHeadingPrefixLength = 8;
constexpr QStringView kLineEnd = u"\r\n";

// The longest line a start list or protocol can sensibly hold; a longer one
// (a class name of megabytes) is no start list, and it would hold up every
// list, tab and message that shows it.
constexpr qsizetype kMaxLineBytes = 16 * 1024;
// What the writer makes of the longest cells, one byte per UTF-16 unit at
// most, must come back: a protocol or backup it couldn't read is lost.
// The most fields a line gives: the columns of four runs and a team.
constexpr int kMaxFields = kAllColumnCount + 1;
static_assert(kMaxFields * (kMaxCellLength + 3) <= kMaxLineBytes);
static_assert(kHeadingPrefixLength + kMaxCellLength <= kMaxLineBytes);

bool isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

// Control bytes other than TAB, CR, LF and Ctrl+Z mark a file that is no text.
bool isForeignControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\x1A') || u == 0x7F;
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

// Each cell and heading is decoded on its own: a cell's bytes are exactly
// what the writer puts back, so its reading cannot change with what the rest
// of the file holds.
struct PieceDecoder
{
    bool markedUtf8 = false;

    QString operator()(QByteArrayView bytes) const
    {
        return markedUtf8 ? decodeMarkedUtf8Piece(bytes) : decodeStartListPiece(bytes);
    }

    // A well-formed UTF-8 sequence at the start of bytes; anything else is a
    // character of one byte, as the decoder replaces it.
    static qsizetype utf8SequenceLength(QByteArrayView bytes)
    {
        const auto lead = static_cast<unsigned char>(bytes.front());
        const qsizetype length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                                 : (lead & 0xF8) == 0xF0 ? 4 : 1;
        if (length > bytes.size())
            return 1;
        for (qsizetype i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80)
                return 1;
        }
        return length;
    }

    // The bytes after the first n characters of the line as it reads.
    QByteArrayView afterCharacters(QByteArrayView line, qsizetype n) const
    {
        const bool utf8 = markedUtf8 || readsAsUtf8(line);
        qsizetype at = 0;
        for (qsizetype i = 0; i < n && at < line.size(); ++i)
            at += utf8 ? utf8SequenceLength(line.sliced(at)) : 1;
        return line.sliced(at);
    }
};

// A row line as the writer makes it: eleven cells, none empty, each followed
// by a TAB; its headings never hold a TAB. A name holding "KLASSE:" must not
// make such a row a heading, while in a file from elsewhere any line with the
// mark still is one.
bool isWrittenRow(QByteArrayView line)
{
    const qsizetype tabs = line.count('\t');
    return line.endsWith('\t') && !line.startsWith('\t')
        && tabs >= columnsForRuns(2) && tabs <= columnsForRuns(4) + 1
        && !line.contains("\t\t");
}

// The runs a block's title row names, as the writer puts them.
int runsOfTitles(const QStringList &titles)
{
    const auto titleAt = [&titles](int i) { return i < titles.size() ? titles.at(i).trimmed() : QString(); };
    if (titleAt(9) != defaultColumnTitle(ColRun3))
        return 2;
    return titleAt(11) == defaultColumnTitle(ColRun4) ? 4 : 3;
}

// A struck run's time as written, "(45,12)", without its brackets.
QString withoutStrikeBrackets(const QString &text)
{
    if (text.size() > 2 && text.front() == u'(' && text.back() == u')')
        return text.mid(1, text.size() - 2);
    return text;
}

QByteArray collapsedTabRuns(QByteArrayView line)
{
    QByteArray out;
    out.reserve(line.size());
    for (const char c : line) {
        if (c == '\t' && out.endsWith('\t'))
            continue;
        out.append(c);
    }
    return out;
}

// A start list may be TAB- or semicolon-separated; a line with any TAB is
// split at TABs only, so semicolons inside a name stay.
QStringList splitFields(QByteArrayView rawLine, const PieceDecoder &decode)
{
    QByteArray collapsed;
    QByteArrayView line = rawLine;
    if (line.contains("\t\t")) {
        collapsed = collapsedTabRuns(line);
        line = collapsed;
    }
    const char separator = line.contains('\t') ? '\t' : ';';
    QStringList fields;
    fields.reserve(kMaxFields);
    qsizetype from = 0;
    while (fields.size() < kMaxFields) {
        const qsizetype at = line.indexOf(separator, from);
        const QByteArrayView field = line.sliced(from, (at < 0 ? line.size() : at) - from);
        fields.append(field.isEmpty() ? u" "_s : decode(field));
        // A separator at the very end of the line makes no further field.
        if (at < 0 || at + 1 == line.size())
            break;
        from = at + 1;
    }
    return fields;
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// A TAB or line break inside a cell would split it on reading, byte 1A would
// end the file there, and any other control byte would make the reader
// refuse the file; none can be stored, so they are replaced.
void appendStorable(QByteArray &out, const QString &text)
{
    if (std::none_of(text.cbegin(), text.cend(), isControl)) {
        appendWindows1252(out, text);
        return;
    }
    QString storable = text;
    for (QChar &c : storable) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
        else if (isControl(c))
            c = u'?';
    }
    appendWindows1252(out, storable);
}

bool holdsAnything(const QStringList &row)
{
    return std::any_of(row.cbegin(), row.cend(), [](const QString &cell) { return !isBlankCell(cell); });
}

// Whether a file row (in the block's column order) holds a run: a time or
// "DIS" in the training run or a scoring run.
bool holdsRunCell(const QStringList &fileRow, int scoringRuns)
{
    const QList<int> columns = pageColumns(scoringRuns);
    for (qsizetype i = 0; i < fileRow.size() && i < columns.size(); ++i) {
        const int c = columns.at(i);
        if (c != ColTR && scoringRunOfTimeColumn(c) == 0)
            continue;
        const RunCell::Kind kind = readRunCell(withoutStrikeBrackets(fileRow.at(i))).kind;
        if (kind == RunCell::Time || kind == RunCell::Dis)
            return true;
    }
    return false;
}

// A file row in page order: its cells go to the columns the block's runs
// have, the brackets of struck runs come off.
QStringList pageRow(const QStringList &fileRow, int scoringRuns, bool titleRow)
{
    if (scoringRuns <= 2)
        return fileRow;
    const QList<int> columns = pageColumns(scoringRuns);
    QStringList cells(kAllColumnCount);
    for (qsizetype i = 0; i < fileRow.size() && i < columns.size(); ++i) {
        const int c = columns.at(i);
        cells[c] = !titleRow && scoringRunOfTimeColumn(c) > 0 ? withoutStrikeBrackets(fileRow.at(i)) : fileRow.at(i);
    }
    return cells;
}

// The column a title row names "Team", -1 for none.
qsizetype teamColumnOf(const QStringList &titles)
{
    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (QStringView(titles.at(i)).trimmed().compare(kTeamTitle, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void fillPage(ResultPage &page, const ProtocolBlock &block)
{
    const QList<QStringList> &rows = block.rows;
    page.setRowCount(std::max<int>(2, int(rows.size())));
    for (int r = 0; r < rows.size(); ++r) {
        page.setRow(r, pageRow(rows.at(r), block.scoringRuns, r == 0));
        if (r > 0 && r < block.teams.size())
            page.setTeam(r, block.teams.at(r));
    }
    QList<RowId> order;
    for (const int r : block.startOrder) {
        if (r >= 1 && r < page.rows())
            order.append(page.rowId(r));
    }
    page.setStartOrder(order);
    // A start list often names only its own columns ("StNr;Fahrer/in;Ortsclub");
    // the run columns keep their usual titles, in the grid, the saved
    // protocol and the web page alike.
    const QStringList &titles = defaultColumnTitles();
    for (int c = 0; c < kColumnCount; ++c) {
        if (isBlankCell(page.cell(0, c)))
            page.setCell(0, c, titles.at(c));
    }
}

// The file's cells of a page row: the columns of the runs shown, a struck
// run in brackets.
QStringList fileRow(const ResultPage &page, int row, const QList<int> &columns, bool strikes)
{
    if (columns.size() == kColumnCount && !strikes)
        return page.row(row);
    QStringList cells;
    cells.reserve(columns.size());
    const RowScore score = strikes && row > 0 ? page.score(row) : RowScore{};
    for (const int c : columns) {
        QString text = page.cell(row, c);
        if (row == 0 && c >= kColumnCount && isBlankCell(text))
            text = defaultColumnTitle(c);
        else if (score.isStruck(scoringRunOfTimeColumn(c)) && !isBlankCell(text))
            text = u'(' + text + u')';
        cells.append(text);
    }
    return cells;
}

} // namespace

std::optional<ProtocolRefusal> refusalOfProtocolBytes(QByteArrayView bytes)
{
    const qsizetype eof = bytes.indexOf('\x1A');
    if (eof >= 0)
        bytes = bytes.first(eof);
    int lineNumber = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n') {
            const bool crEnd = i > lineStart && bytes[i - 1] == '\r';
            if (i - lineStart - (crEnd ? 1 : 0) > kMaxLineBytes)
                return ProtocolRefusal{ProtocolRefusal::LongLine, lineNumber};
            ++lineNumber;
            lineStart = i + 1;
            continue;
        }
        if (isForeignControl(bytes[i]))
            return ProtocolRefusal{ProtocolRefusal::ControlByte, lineNumber};
    }
    return std::nullopt;
}

QString refusalText(const ProtocolRefusal &refusal, const QString &path)
{
    switch (refusal.reason) {
    case ProtocolRefusal::ControlByte:
        return u"Die Datei ist keine Textdatei (Steuerzeichen in Zeile %1) und wird nicht geladen: %2"_s.arg(
            QString::number(refusal.line), path);
    case ProtocolRefusal::LongLine:
        return u"Die Zeile %1 ist länger als %2 Zeichen; die Datei wird nicht geladen: %3"_s.arg(
            QString::number(refusal.line), QString::number(kMaxLineBytes), path);
    case ProtocolRefusal::TooLarge:
        return u"Die Datei ist größer als %1 MB und wird nicht geladen: %2"_s.arg(
            QString::number(kMaxProtocolFileBytes / (1024 * 1024)), path);
    }
    return {};
}

QList<ProtocolBlock> parseProtocolBytes(QByteArrayView bytes, std::optional<Regulation> *regulation)
{
    EventSection section;
    const qsizetype eof = bytes.indexOf(kEndOfFileMark);
    if (eof >= 0) {
        section = parseEventSection(bytes.sliced(eof + 1));
        bytes = bytes.first(eof);
    }
    if (regulation)
        *regulation = section.regulation;
    static constexpr QByteArrayView utf8Mark("\xEF\xBB\xBF");
    PieceDecoder decode;
    if (bytes.startsWith(utf8Mark)) {
        decode.markedUtf8 = true;
        bytes = bytes.sliced(utf8Mark.size());
    }

    QList<ProtocolBlock> blocks;
    qsizetype teamColumn = -1; // of the last block
    QByteArray withoutCr;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line = bytes.sliced(pos, end - pos);
        pos = end + 1;

        // CR LF ends a line like LF does; a CR on its own is dropped.
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains('\r')) {
            withoutCr = line.toByteArray();
            withoutCr.replace("\r", "");
            line = withoutCr;
        }
        if (isBlank(line))
            continue;
        if (line.contains(kHeadingMark) && !isWrittenRow(line)) {
            ProtocolBlock block;
            block.hasHeading = true;
            block.classEntry = decode(decode.afterCharacters(line, kHeadingPrefixLength));
            blocks.append(block);
            teamColumn = -1;
            continue;
        }
        if (blocks.isEmpty())
            blocks.append(ProtocolBlock{});
        ProtocolBlock &block = blocks.last();
        block.rows.append(splitFields(line, decode));
        QStringList &row = block.rows.last();
        // The team column may stand anywhere; the others are read as if it
        // were not there.
        if (block.rows.size() == 1)
            teamColumn = teamColumnOf(row);
        if (teamColumn >= 0)
            block.teams.append(teamColumn < row.size() ? row.takeAt(teamColumn) : QString());
        if (block.rows.size() == 1)
            block.scoringRuns = runsOfTitles(row);
    }
    for (auto it = section.startOrders.cbegin(); it != section.startOrders.cend(); ++it) {
        if (it.key() < blocks.size())
            blocks[it.key()].startOrder = it.value();
    }
    // Fields past the block's columns are not read, as ever for the eleven.
    for (ProtocolBlock &block : blocks) {
        const int columns = columnsForRuns(block.scoringRuns);
        for (QStringList &row : block.rows) {
            if (row.size() > columns)
                row.resize(columns);
        }
    }
    return blocks;
}

QByteArray formatProtocolBlocks(const QList<ProtocolBlock> &blocks, const std::optional<Regulation> &regulation)
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
        const int columns = columnsForRuns(std::clamp(block.scoringRuns, 2, kMaxScoringRuns));
        const bool teams = !block.teams.isEmpty();
        for (qsizetype r = 0; r < block.rows.size(); ++r) {
            const QStringList &row = block.rows.at(r);
            for (int c = 0; c < columns + int(teams); ++c) {
                const QString cell = c == columns ? block.teams.value(r) : c < row.size() ? row.at(c) : QString();
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
    EventSection section;
    section.regulation = regulation;
    for (qsizetype b = 0; b < blocks.size(); ++b) {
        if (!blocks.at(b).startOrder.isEmpty())
            section.startOrders.insert(int(b), blocks.at(b).startOrder);
    }
    out.append(formatEventSection(section));
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
        block.scoringRuns = page->shownRuns();
        const QList<int> columns = pageColumns(block.scoringRuns);
        const bool strikes = page->regulation().strikesRuns();
        // Every driver is kept, whichever row ranking or a new row put first
        // and whatever that row lacks. A row without anything in it would
        // read as an empty line, which the reader skips, so it is left out.
        const bool teams = page->hasTeams();
        // The file row each page row becomes, for the start order.
        QList<int> fileRowOf(page->rows(), 0);
        for (int r = 1; r < page->rows(); ++r) {
            if (holdsAnything(page->row(r))) {
                block.rows.append(fileRow(*page, r, columns, strikes));
                fileRowOf[r] = int(block.rows.size());
                if (teams)
                    block.teams.append(page->team(r));
            }
        }
        if (!page->startOrder().isEmpty()) {
            for (const int r : page->rowsInStartOrder()) {
                if (fileRowOf.at(r) > 0)
                    block.startOrder.append(fileRowOf.at(r));
            }
        }
        if (!block.rows.isEmpty()) {
            block.rows.prepend(fileRow(*page, 0, columns, false));
            if (teams)
                block.teams.prepend(kTeamTitle.toString());
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
            fillPage(*page, block);
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
        fillPage(*page, block);
        classes.append(block.classEntry);
        ++used;
    }
    competition.setClasses(classes);
    for (const ProtocolBlock &block : blocks) {
        result.fileRuns = std::max(result.fileRuns, block.scoringRuns);
        if (!result.holdsRuns)
            result.holdsRuns = std::any_of(block.rows.cbegin() + std::min<qsizetype>(1, block.rows.size()),
                                           block.rows.cend(), [&block](const QStringList &row) {
                                               return holdsRunCell(row, block.scoringRuns);
                                           });
    }
    return result;
}

QByteArray formatProtocolText(const Competition &competition)
{
    const Regulation &regulation = competition.page(0)->regulation();
    return formatProtocolBlocks(protocolBlocks(competition),
                                regulation == Regulation{} ? std::nullopt : std::optional<Regulation>(regulation));
}

ProtocolLoadResult parseProtocolText(Competition &competition, QByteArrayView bytes)
{
    if (std::optional<ProtocolRefusal> refusal = refusalOfProtocolBytes(bytes)) {
        ProtocolLoadResult result;
        result.refusal = refusal;
        return result;
    }
    std::optional<Regulation> regulation;
    const QList<ProtocolBlock> blocks = parseProtocolBytes(bytes, &regulation);
    ProtocolLoadResult result = applyProtocolBlocks(competition, blocks);
    result.regulation = regulation;
    return result;
}

} // namespace vex
