#pragma once

#include <QByteArray>
#include <QString>
#include <QTime>

#include <optional>

class QTextDocument;

namespace vex {

// Lays the web page (as buildHtmlReport makes it) into a document for paper:
// cells break between words only, and the columns take the widths their
// texts need, as Qt's layout would not stretch them as a browser does.
void loadReportDocument(QTextDocument &document, const QByteArray &page);

// What the heading of a posted result list says: "vorläufig" until the
// objection time has passed, then "offiziell, ausgehängt um 14:35".
QString resultListStatus(bool official, QTime postedAt);

// The result list as a PDF file at path (A4); the page is replaced only by a
// complete new file. Nothing on success, the operator's message otherwise.
std::optional<QString> writeResultListPdf(const QByteArray &page, const QString &path);

} // namespace vex
