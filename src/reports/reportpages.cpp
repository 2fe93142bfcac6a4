#include "reports/reportpages.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// Bands that go onto a page together; a continuation goes on with a table
// begun on an earlier page.
struct Unit
{
    QList<int> bands;
    int continues = -1; // the header band of the table it continues, or -1
};

qreal heightOf(const QList<ReportBand> &bands, const QList<int> &which)
{
    qreal h = 0;
    for (const int i : which)
        h += bands.at(i).height;
    return h;
}

// A table's header and rows from index first on; returns the index after it.
qsizetype tableUnits(const QList<ReportBand> &bands, qsizetype first, QList<int> lead, QList<Unit> &units)
{
    const int table = bands.at(first).table;
    qsizetype end = first;
    while (end < bands.size() && bands.at(end).table == table
           && (bands.at(end).kind == ReportBand::TableHeader || bands.at(end).kind == ReportBand::TableRow))
        ++end;
    qsizetype rowsFrom = first;
    while (rowsFrom < end && bands.at(rowsFrom).kind == ReportBand::TableHeader)
        ++rowsFrom;
    const int header = rowsFrom > first ? int(first) : -1;
    for (qsizetype i = first; i < rowsFrom; ++i)
        lead.append(int(i));
    const qsizetype rows = end - rowsFrom;
    if (rows <= 3) {
        for (qsizetype i = rowsFrom; i < end; ++i)
            lead.append(int(i));
        units.append({lead, -1});
        return end;
    }
    // The first two rows stay with the header, the last two together.
    lead << int(rowsFrom) << int(rowsFrom + 1);
    units.append({lead, -1});
    for (qsizetype i = rowsFrom + 2; i < end - 2; ++i)
        units.append({{int(i)}, header});
    units.append({{int(end - 2), int(end - 1)}, header});
    return end;
}

QList<Unit> unitsOf(const QList<ReportBand> &bands)
{
    QList<Unit> units;
    qsizetype i = 0;
    while (i < bands.size()) {
        QList<int> lead;
        while (i < bands.size() && bands.at(i).kind == ReportBand::Heading)
            lead.append(int(i++));
        if (i >= bands.size()) {
            units.append({lead, -1});
            break;
        }
        const ReportBand &next = bands.at(i);
        if (next.kind == ReportBand::TableHeader || next.kind == ReportBand::TableRow) {
            i = tableUnits(bands, i, lead, units);
        } else {
            lead.append(int(i++));
            units.append({lead, -1});
        }
    }
    return units;
}

} // namespace

QList<ReportPageBands> paginateBands(const QList<ReportBand> &bands, qreal pageHeight)
{
    QList<ReportPageBands> pages;
    if (bands.isEmpty())
        return pages;
    pages.append(ReportPageBands());
    qreal used = 0;
    auto newPage = [&](int header) {
        pages.append(ReportPageBands());
        used = 0;
        if (header >= 0) {
            pages.last().append(header);
            used = bands.at(header).height;
        }
    };
    auto place = [&](const QList<int> &which, int header) {
        const qreal h = heightOf(bands, which);
        if (used + h > pageHeight && !pages.last().isEmpty()
            && !(pages.last().size() == 1 && pages.last().first() == header))
            newPage(header);
        pages.last() += which;
        used += h;
    };
    for (const Unit &unit : unitsOf(bands)) {
        const qreal h = heightOf(bands, unit.bands);
        const qreal headerHeight = unit.continues >= 0 ? bands.at(unit.continues).height : 0;
        if (h + headerHeight > pageHeight && unit.bands.size() > 1) {
            // Too tall for any page: its bands go one by one.
            int header = unit.continues;
            for (const int b : unit.bands) {
                const ReportBand &band = bands.at(b);
                if (band.kind == ReportBand::TableHeader && header < 0)
                    header = b;
                place({b}, band.kind == ReportBand::TableRow ? header : -1);
            }
            continue;
        }
        place(unit.bands, unit.continues);
    }
    return pages;
}

QList<ReportBand> bandsOf(QTextDocument &document)
{
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    QList<ReportBand> bands;
    int tables = 0;
    const QTextFrame *root = document.rootFrame();
    for (auto it = root->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *frame = it.currentFrame()) {
            const QRectF box = layout->frameBoundingRect(frame);
            auto *table = qobject_cast<QTextTable *>(frame);
            if (!table || table->rows() == 0) {
                bands.append({ReportBand::Text, box.top(), 0, -1});
                continue;
            }
            const int headerRows = std::max(1, table->format().headerRowCount());
            qreal lastBottom = box.top();
            for (int r = 0; r < table->rows(); ++r) {
                qreal top = std::numeric_limits<qreal>::max();
                qreal bottom = lastBottom;
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (!cell.isValid() || cell.row() != r)
                        continue;
                    top = std::min(top, layout->blockBoundingRect(cell.firstCursorPosition().block()).top());
                    bottom = std::max(bottom, layout->blockBoundingRect(cell.lastCursorPosition().block()).bottom());
                }
                // A row begins half way between the text of the row above and its own.
                const qreal begins = r == 0 || top == std::numeric_limits<qreal>::max()
                    ? box.top() : (lastBottom + top) / 2;
                bands.append({r < headerRows ? ReportBand::TableHeader : ReportBand::TableRow, begins, 0, tables});
                lastBottom = bottom;
            }
            // The last row reaches down to what follows the table.
            ++tables;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        const ReportBand::Kind kind = block.blockFormat().headingLevel() > 0 ? ReportBand::Heading : ReportBand::Text;
        bands.append({kind, layout->blockBoundingRect(block).top(), 0, -1});
    }
    const qreal end = layout->documentSize().height();
    for (qsizetype i = 0; i < bands.size(); ++i) {
        const qreal next = i + 1 < bands.size() ? bands.at(i + 1).top : end;
        bands[i].height = std::max<qreal>(0, next - bands.at(i).top);
    }
    // Strips of no height (an empty block after a table) would only split what belongs together.
    bands.removeIf([](const ReportBand &b) { return b.height <= 0; });
    return bands;
}

bool paintReportPages(QTextDocument &document, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QMarginsF own = device.pageLayout().margins(QPageLayout::Millimeter);
    const bool bare = own.left() <= 0 && own.top() <= 0 && own.right() <= 0 && own.bottom() <= 0;
    const qreal mm = device.logicalDpiY() / 25.4;
    const qreal margin = (bare ? 20 : 5) * mm;
    const QRectF body(margin, margin, device.width() - 2 * margin, device.height() - 2 * margin - 6 * mm);
    document.documentLayout()->setPaintDevice(&device);
    document.setDocumentMargin(0);
    document.setTextWidth(body.width());
    const QList<ReportBand> bands = bandsOf(document);
    const QList<ReportPageBands> pages = paginateBands(bands, body.height());
    QFont footFont = document.defaultFont();
    footFont.setPointSizeF(8);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        qreal y = body.top();
        for (const int b : pages.at(p)) {
            const ReportBand &band = bands.at(b);
            painter.save();
            painter.translate(body.left(), y - band.top);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = QRectF(0, band.top, body.width(), band.height);
            context.palette.setColor(QPalette::Text, Qt::black);
            painter.setClipRect(context.clip);
            document.documentLayout()->draw(&painter, context);
            painter.restore();
            y += band.height;
        }
        if (pages.size() > 1) {
            painter.setFont(footFont);
            painter.setPen(Qt::black);
            const QRectF foot(body.left(), device.height() - margin - 5 * mm, body.width(), 5 * mm);
            painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, u"Seite %1 von %2"_s.arg(p + 1).arg(pages.size()));
        }
    }
    return painter.end();
}

} // namespace vex
