#include "reports/htmlprinter.h"

#include "reports/textcodec.h"

#include <QPrinter>
#include <QTextDocument>
#include <QTextOption>

namespace vex {

bool printHtmlReport(const QByteArray &page, QPrinter &printer)
{
    if (!printer.isValid())
        return false;
    QTextDocument document;
    // Table cells break between words, never inside a name or a title.
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    document.setHtml(decodeWindows1252(page));
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

} // namespace vex
