#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace vex {

// Registry value types as the registry numbers them; hex(n) in an export.
enum RegType : quint32 {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
};

// A value as the registry holds it: a type and its raw bytes. Strings are
// UTF-16LE with a terminating zero, a REG_DWORD is 4 bytes little-endian.
struct RegValue
{
    QString name;  // "" is the key's default value, "@" in an export
    quint32 type = RegNone;
    QByteArray data;

    bool operator==(const RegValue &) const = default;
};

struct RegKey
{
    QString path;  // full path with its root, e.g. "HKEY_CURRENT_USER\Software\..."
    QList<RegValue> values;

    bool operator==(const RegKey &) const = default;

    // Value names are case-insensitive, like the registry's.
    const RegValue *find(QStringView name) const;
    // Replaces a value of the same name in its place, or appends it.
    void set(RegValue value);
};

RegValue dwordValue(const QString &name, qint32 value);
RegValue stringValue(const QString &name, const QString &text, quint32 type = RegSz);
QString stringFromRegData(const QByteArray &data);

// The text of a registry export ("Windows Registry Editor Version 5.00" or
// "REGEDIT4"). Hand edits and damage must not cost more than the line they
// hit: a line that can't be read is skipped, so its value is missing. Hex data
// may be continued over several lines with a trailing backslash. Comments (;),
// deleted keys ([-...]) and deleted values ("name"=-) are honoured.
QList<RegKey> parseRegExport(QStringView text);

// The same, with what a rewrite of the file would lose: a file without a
// header line, or with lines that can't be read, is worth a copy before it is
// replaced.
struct RegExport
{
    QList<RegKey> keys;
    bool headerFound = false;
    int unreadableLines = 0;

    bool fullyRead() const { return headerFound && unreadableLines == 0; }
};
RegExport readRegExport(QStringView text);

// The text regedit writes for these keys: CR LF line ends, hex lines broken
// like regedit's. A string holding a line break or a zero can't live between
// quotes, so it is written as hex(1).
QString formatRegExport(const QList<RegKey> &keys);

// Export files come as UTF-16LE with BOM (regedit), as UTF-16 of either byte
// order with or without BOM, as UTF-8 with or without BOM, or, made by hand,
// as Windows-1252: a file without BOM that is not valid UTF-8 is read so.
QString decodeRegFile(const QByteArray &bytes);
// UTF-16LE with BOM, as regedit writes them.
QByteArray encodeRegFile(const QString &text);

} // namespace vex
