#include "reports/htmlprinter.h"

#include "reports/textcodec.h"

#include <QPrinter>
#include <QTextDocument>

namespace vex {

bool printHtmlReport(const QByteArray &page, QPrinter &printer)
{
    if (!printer.isValid())
        return false;
    QTextDocument document;
    document.setHtml(decodeWindows1252(page));
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

} // namespace vex
