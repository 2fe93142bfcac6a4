#include "reports/htmlprinter.h"

#include "reports/textcodec.h"

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
    // Table cells break between words, never inside a name or a title.
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    // The header widths add up to less than the whole width; a browser
    // stretches the columns to the table's 100 %, Qt's layout would not. The
    // printed tables let Qt size the columns to their texts instead.
    QString html = decodeWindows1252(page);
    static const QRegularExpression headerWidth(u"<th width=\\d+%>"_s, QRegularExpression::CaseInsensitiveOption);
    html.replace(headerWidth, u"<th>"_s);
    document.setHtml(html);
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

} // namespace vex
