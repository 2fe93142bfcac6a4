#pragma once

#include "reports/eventsection.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vex {

class Competition;

// One block of a protocol file or start list: a class heading and the lines
// that follow it, split into cells. Rows before the first heading form a block
// without a heading.
struct ProtocolBlock
{
    bool hasHeading = false;
    // The heading line without its first eight characters ("KLASSE: "), kept
    // exactly, trailing blanks included. When writing: the page caption.
    QString classEntry;
    // Row 0 holds the column titles. A row read from a file has at most as
    // many cells as its block's columns, an empty field stored as " ".
    QList<QStringList> rows;
    // The scoring runs of the block's columns (pageColumns): 2 for the
    // classic eleven; 3 or 4 when its title row names "Lauf 3" ("Lauf 4")
    // after "StS" of run 2, as the writer puts them.
    int scoringRuns = 2;
    // The block's "Team" column, one cell per row (the title first), taken
    // out of the rows wherever the file had it; written after the last
    // column. Empty when the block has none.
    QStringList teams;
    // The class's start order: its rows (from 1, as in rows) in the order
    // they start; empty when it was given none.
    QList<int> startOrder;
};

// Why a file is no protocol file or start list: a control byte other than
// TAB, CR, LF and Ctrl+Z (random or binary data), a line far longer than any
// start list holds, or a size no competition comes near. Line numbers count
// from 1.
struct ProtocolRefusal
{
    enum Reason { ControlByte, LongLine, TooLarge };
    Reason reason = ControlByte;
    int line = 0;
};

// Nothing for bytes that may be loaded. What follows Ctrl+Z is not looked at,
// as no reader sees it.
std::optional<ProtocolRefusal> refusalOfProtocolBytes(QByteArrayView bytes);
// The operator's message for a refusal of the file at path.
QString refusalText(const ProtocolRefusal &refusal, const QString &path);

// Larger files are refused before they are read.
inline constexpr qint64 kMaxProtocolFileBytes = 16 * 1024 * 1024;

// Splits the bytes of a protocol file or start list into blocks. Each cell
// and heading may be Windows-1252 or UTF-8 (see decodeStartListPiece); after
// a UTF-8 byte-order mark all are UTF-8. A line holding "KLASSE:" anywhere is
// a heading, unless it is a row line as formatProtocolBlocks writes them.
// The event section after the end-of-file mark gives the blocks their start
// orders and, where asked for, its regulation.
QList<ProtocolBlock> parseProtocolBytes(QByteArrayView bytes, std::optional<Regulation> *regulation = nullptr);

// The bytes of a protocol file: per block the heading "KLASSE: " with an
// empty line, every row as eleven cells (13 or 15 with further runs, and a
// team's after them where the block has teams) each followed by TAB (an
// empty cell as " "), then an empty line; CR LF line ends, Windows-1252.
// The regulation and the blocks' start orders follow in the event section,
// where there are any.
QByteArray formatProtocolBlocks(const QList<ProtocolBlock> &blocks,
                                const std::optional<Regulation> &regulation = std::nullopt);

// The blocks a protocol file holds for a competition: one per class-list
// entry, headed by its page's caption, with the title row and every data row
// that holds anything; a page whose data rows are all empty gives its heading
// only. The columns are those of the runs the page shows; a run the
// regulation strikes is written in brackets, "(45,12)", which the reader
// takes off again. A page with teams gets its "Team" column.
QList<ProtocolBlock> protocolBlocks(const Competition &competition);

// What loading a file did beyond filling the pages.
struct ProtocolLoadResult
{
    // Set when the bytes were refused: then nothing was changed.
    std::optional<ProtocolRefusal> refusal;
    // Classes of the file that found no page (trimmed names, in file order).
    QStringList skippedClasses;
    // The regulation the file names, if it names one.
    std::optional<Regulation> regulation;
    // The most scoring runs a class of the file has columns for, and whether
    // any run cell holds a time or "DIS": what tells a start list from a
    // protocol, and a protocol's regulation where it names none.
    int fileRuns = 2;
    bool holdsRuns = false;
};

// Resets all ten pages, then fills them and the class list from the blocks.
ProtocolLoadResult applyProtocolBlocks(Competition &competition, const QList<ProtocolBlock> &blocks);

// Convenience pairs of the above. The competition's regulation is written
// when it is not the classic one; a load reports the file's and leaves the
// pages' as they were (the race decides which applies).
QByteArray formatProtocolText(const Competition &competition);
// Refused bytes leave the competition as it was.
ProtocolLoadResult parseProtocolText(Competition &competition, QByteArrayView bytes);

} // namespace vex
