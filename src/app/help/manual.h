#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <memory>

class QTextDocument;

namespace vex {

// The operator's manual as the program carries it: German HTML pages with
// their pictures in the resources under ":/handbuch/".
namespace manual {

struct Section
{
    QString anchor; // the id of the page's <h2>
    QString title;
};

struct Page
{
    QString file; // e.g. "lichtschranken.html"
    QString title;
    QList<Section> sections;
};

struct SearchHit
{
    QString file;
    QString anchor; // empty: the page's beginning
    QString title;  // "Page – Section"
    int score = 0;  // the words' mentions, those in the heading weighing more
};

// The resource folder and the URL of a page in it.
QString folder();
QUrl pageUrl(const QString &fileAndAnchor);

// Every page in the order of the contents, with its sections.
QList<Page> pages();

// Sections (and page beginnings) holding every word of the query, regardless
// of case; those whose heading names the words first, then by how often the
// words stand there, ties in the order of the contents.
QList<SearchHit> search(const QString &query);

// The whole manual as one document for the printer, each page on a new sheet,
// the pictures taken from the resources.
std::unique_ptr<QTextDocument> printDocument();

// The whole manual as a PDF on A4; false when the file can't be written.
bool writePdf(const QString &path);

} // namespace manual
} // namespace vex
