#include "reports/htmlprinter.h"

#include "reports/reportdocument.h"
#include "reports/reportpages.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextOption>

using namespace Qt::StringLiterals;

namespace vex {

bool printHtmlReport(const QByteArray &page, QPrinter &printer)
{
    if (!printer.isValid())
        return false;
    QTextDocument document;
    loadReportDocument(document, page);
    return paintReportPages(document, printer) && printer.printerState() != QPrinter::Error;
}

} // namespace vex
