#pragma once

#include <QList>
#include <QtGlobal>

class QPagedPaintDevice;
class QTextDocument;

namespace vex {

// One horizontal strip of a report laid out as one long page: a paragraph, a
// heading, or one row of a table. Strips follow each other without gaps.
struct ReportBand
{
    enum Kind { Text, Heading, TableHeader, TableRow };
    Kind kind = Text;
    qreal top = 0;
    qreal height = 0;
    int table = -1; // which table a header or a row belongs to

    bool operator==(const ReportBand &) const = default;
};

// The bands on one page, top to bottom, as indexes into the band list; a
// table's header row is listed again on each page the table goes on to.
using ReportPageBands = QList<int>;

// Deals the bands out to pages of that height. A heading stays with what
// follows it; a table is split only between its rows, never so that its
// header row, its first row or its last row stands alone (a table of up to
// three rows is never split); a page a table goes on to starts with the
// table's header row. What is taller than a page is cut where it must be.
QList<ReportPageBands> paginateBands(const QList<ReportBand> &bands, qreal pageHeight);

// The bands of a document laid out in one long page (no page height).
QList<ReportBand> bandsOf(QTextDocument &document);

// Paints the document onto the device's pages as paginateBands deals them,
// within margins of 2 cm where the device has none of its own, with "Seite n
// von m" at the foot. The document is laid out for the device here. False
// when the device can't be painted on.
bool paintReportPages(QTextDocument &document, QPagedPaintDevice &device);

} // namespace vex
