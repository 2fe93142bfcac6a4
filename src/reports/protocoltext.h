#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

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
    // Row 0 holds the column titles. A row read from a file has at most eleven
    // cells, an empty field stored as " ".
    QList<QStringList> rows;
};

// Splits the bytes of a protocol file or start list into blocks. The bytes
// may be Windows-1252 or UTF-8 (see decodeStartListText).
QList<ProtocolBlock> parseProtocolBytes(QByteArrayView bytes);

// The bytes of a protocol file: per block the heading "KLASSE: " with an
// empty line, every row as eleven cells each followed by TAB (an empty cell
// as " "), then an empty line; CR LF line ends, Windows-1252.
QByteArray formatProtocolBlocks(const QList<ProtocolBlock> &blocks);

// The blocks a protocol file holds for a competition: one per class-list
// entry, headed by its page's caption; a page's rows are left out when the
// first driver has no name.
QList<ProtocolBlock> protocolBlocks(const Competition &competition);

// What loading a file did beyond filling the pages.
struct ProtocolLoadResult
{
    // Classes of the file that found no page (trimmed names, in file order).
    QStringList skippedClasses;
};

// Resets all ten pages, then fills them and the class list from the blocks.
ProtocolLoadResult applyProtocolBlocks(Competition &competition, const QList<ProtocolBlock> &blocks);

// Convenience pairs of the above.
QByteArray formatProtocolText(const Competition &competition);
ProtocolLoadResult parseProtocolText(Competition &competition, QByteArrayView bytes);

} // namespace vex
