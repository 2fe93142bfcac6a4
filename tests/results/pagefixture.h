#pragma once

#include "results/resultpage.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace vex::testing {

// A page with the titles in row 0 and the given data rows; short rows are
// filled up with empty cells.
inline std::unique_ptr<ResultPage> makePage(const QList<QStringList> &dataRows)
{
    auto page = std::make_unique<ResultPage>();
    page->setRowCount(int(dataRows.size()) + 1);
    page->setRow(0, defaultColumnTitles());
    for (int i = 0; i < dataRows.size(); ++i)
        page->setRow(i + 1, dataRows.at(i));
    return page;
}

// A data row with start number, name and total only.
inline QStringList totalRow(const QString &stNr, const QString &name, const QString &total,
                            const QString &place = QString())
{
    QStringList r(kColumnCount);
    r[ColStNr] = stNr;
    r[ColName] = name;
    r[ColTotal] = total;
    r[ColPlace] = place;
    return r;
}

inline QStringList column(const ResultPage &page, int col)
{
    QStringList out;
    for (int row = 1; row < page.rows(); ++row)
        out.append(page.cell(row, col));
    return out;
}

} // namespace vex::testing
