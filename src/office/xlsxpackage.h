#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vex {

// Throws the message for a workbook that can't be read.
[[noreturn]] void xlsxUnreadable(const QString &path);
// Throws the message for a workbook that can't be written, with its reason.
[[noreturn]] void xlsxNotWritten(const QString &path, const QString &reason);
// Writes a workbook beside path as "<path>.part" through write, then puts it
// in the old one's place in one rename: a failure anywhere leaves the old
// workbook as it was and no part behind.
void replaceWorkbook(const QString &path, const std::function<void(const QString &partial)> &write);

// The zip container of an Office Open XML workbook, read through minizip.
// Every part read counts against one budget of unpacked bytes, so that a
// small file can't make the program unpack gigabytes.
class XlsxPackage
{
public:
    // More than any start list or protocol needs by far.
    static constexpr qint64 kDefaultBudget = 64 * 1024 * 1024;

    explicit XlsxPackage(const QString &path, qint64 budget = kDefaultBudget);
    ~XlsxPackage();
    XlsxPackage(const XlsxPackage &) = delete;
    XlsxPackage &operator=(const XlsxPackage &) = delete;

    const QString &path() const { return m_path; }
    bool has(const QString &name);
    // Throws when the part is missing, damaged or over the budget.
    QByteArray part(const QString &name);
    // Empty when the part is missing.
    QByteArray optionalPart(const QString &name);
    // The names of all parts, in the order of the container.
    QStringList partNames();

private:
    QString m_path;
    // minizip's unzFile, kept out of this header.
    void *m_zip;
    qint64 m_budget;
};

struct XlsxSheetEntry
{
    QString name;
    // The sheet's part, e.g. "xl/worksheets/sheet1.xml".
    QString part;
};

// A number format that shows a time of day or a duration: hours or seconds,
// and no date; quoted text in the code doesn't count.
bool isTimeFormatCode(const QString &code);

// The sheets in workbook order, with their parts.
QList<XlsxSheetEntry> readXlsxSheetList(XlsxPackage &package);

} // namespace vex
