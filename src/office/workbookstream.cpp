#include "office/xlsreading.h"

#include <QDataStream>
#include <QIODevice>

namespace vex {

namespace {
constexpr quint32 kMagic = 0x56584c53; // "VXLS"
}

QByteArray serializeWorkbook(const WorkbookData &workbook)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kMagic << qint32(workbook.sheets.size());
    for (const WorksheetData &sheet : workbook.sheets) {
        qint32 count = 0;
        for (const auto &cells : sheet.rows)
            count += qint32(cells.size());
        out << sheet.name << count;
        for (auto r = sheet.rows.cbegin(); r != sheet.rows.cend(); ++r) {
            for (auto c = r->cbegin(); c != r->cend(); ++c)
                out << qint32(r.key()) << qint32(c.key()) << quint8(c->kind) << c->number << c->text;
        }
    }
    return bytes;
}

std::optional<WorkbookData> deserializeWorkbook(const QByteArray &bytes)
{
    QDataStream in(bytes);
    quint32 magic = 0;
    qint32 sheetCount = 0;
    in >> magic >> sheetCount;
    if (magic != kMagic || sheetCount < 0 || sheetCount > 65535)
        return std::nullopt;
    WorkbookData workbook;
    for (qint32 s = 0; s < sheetCount; ++s) {
        WorksheetData &sheet = workbook.sheets.emplace_back();
        qint32 count = 0;
        in >> sheet.name >> count;
        if (count < 0 || count > kMaxCellsRead)
            return std::nullopt;
        for (qint32 i = 0; i < count; ++i) {
            qint32 row = 0;
            qint32 column = 0;
            quint8 kind = 0;
            WorkbookCell cell;
            in >> row >> column >> kind >> cell.number >> cell.text;
            if (in.status() != QDataStream::Ok || row < 1 || row > kMaxSheetRows || column < 1
                || column > kMaxSheetColumns || kind > quint8(WorkbookCell::Kind::Text))
                return std::nullopt;
            cell.kind = WorkbookCell::Kind(kind);
            sheet.cell(row, column) = cell;
        }
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return workbook;
}

} // namespace vex
