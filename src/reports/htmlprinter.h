#pragma once

#include <QByteArray>

class QPrinter;

namespace vex {

// Prints the web page (as buildHtmlReport makes it) on a printer the caller
// has set up, e.g. through the print dialog. False when the printer can't be
// used or reports an error.
bool printHtmlReport(const QByteArray &page, QPrinter &printer);

} // namespace vex
