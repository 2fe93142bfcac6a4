#include "app/help/manual.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex::manual {

namespace {

// The contents' order: the way an operator meets the program, the tables last.
const QStringList kOrder{
    u"index.html"_s,        u"installieren.html"_s, u"hauptfenster.html"_s, u"veranstaltung.html"_s,
    u"lichtschranken.html"_s, u"korrekturen.html"_s, u"auswertung.html"_s,   u"live.html"_s,
    u"meisterschaft.html"_s, u"neu.html"_s,          u"tasten.html"_s,       u"einstellungen.html"_s,
};

constexpr int kHeadingWeight = 20;

QString readPage(const QString &file)
{
    QFile f(folder() + file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QString plain(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText();
}

const QRegularExpression &titlePattern()
{
    static const QRegularExpression re(u"<title>(.*?)</title>"_s, QRegularExpression::DotMatchesEverythingOption);
    return re;
}

const QRegularExpression &sectionPattern()
{
    static const QRegularExpression re(u"<h2 id=\"([^\"]+)\">(.*?)</h2>"_s,
                                       QRegularExpression::DotMatchesEverythingOption);
    return re;
}

QString bodyOf(const QString &html)
{
    const qsizetype open = html.indexOf(u"<body"_s);
    const qsizetype start = open < 0 ? 0 : html.indexOf(u'>', open) + 1;
    const qsizetype end = html.lastIndexOf(u"</body>"_s);
    return html.mid(start, (end < start ? html.size() : end) - start);
}

} // namespace

QString folder()
{
    return u":/handbuch/"_s;
}

QUrl pageUrl(const QString &fileAndAnchor)
{
    return QUrl(u"qrc:/handbuch/"_s + fileAndAnchor);
}

QList<Page> pages()
{
    QList<Page> result;
    for (const QString &file : kOrder) {
        const QString html = readPage(file);
        Page page{file, plain(titlePattern().match(html).captured(1)).trimmed(), {}};
        for (const QRegularExpressionMatch &m : sectionPattern().globalMatch(html))
            page.sections.append({m.captured(1), plain(m.captured(2)).trimmed()});
        result.append(page);
    }
    return result;
}

QList<SearchHit> search(const QString &query)
{
    const QStringList words = query.simplified().split(u' ', Qt::SkipEmptyParts);
    QList<SearchHit> hits;
    if (words.isEmpty())
        return hits;
    for (const Page &page : pages()) {
        const QString body = bodyOf(readPage(page.file));
        // A page splits at its sections; what stands before the first one
        // belongs to the page itself.
        QList<qsizetype> starts{0};
        QList<QString> anchors{QString()};
        QList<QString> titles{page.title};
        for (const QRegularExpressionMatch &m : sectionPattern().globalMatch(body)) {
            starts.append(m.capturedStart());
            anchors.append(m.captured(1));
            titles.append(page.title + u" – "_s + plain(m.captured(2)).trimmed());
        }
        starts.append(body.size());
        for (qsizetype i = 0; i + 1 < starts.size(); ++i) {
            const QString text = plain(body.mid(starts[i], starts[i + 1] - starts[i]));
            // A word in the heading weighs more than any number of mentions
            // in the text: a search for a subject finds its own page first.
            int score = 0;
            bool all = true;
            for (const QString &word : words) {
                const qsizetype n = text.count(word, Qt::CaseInsensitive);
                all = all && n > 0;
                score += int(n) + (titles[i].contains(word, Qt::CaseInsensitive) ? kHeadingWeight : 0);
            }
            if (all)
                hits.append({page.file, anchors[i], titles[i], score});
        }
    }
    std::stable_sort(hits.begin(), hits.end(), [](const SearchHit &a, const SearchHit &b) { return a.score > b.score; });
    return hits;
}

std::unique_ptr<QTextDocument> printDocument()
{
    QString html = u"<html><head><meta charset=\"utf-8\"></head><body>"_s;
    bool first = true;
    for (const Page &page : pages()) {
        QString body = bodyOf(readPage(page.file));
        // Links between pages mean nothing on paper; the text stays.
        static const QRegularExpression links(u"<a href=\"[^\"]*\">(.*?)</a>"_s,
                                              QRegularExpression::DotMatchesEverythingOption);
        body.replace(links, u"\\1"_s);
        // One document of many pages has no page of its own to resolve from.
        body.replace(u"src=\"bilder/"_s, u"src=\"qrc:/handbuch/bilder/"_s);
        // A page of A4 is narrower than the window: the pictures shrink.
        static const QRegularExpression widths(u"(<img [^>]*width=\")(\\d+)\""_s);
        QString shrunk;
        qsizetype done = 0;
        for (const QRegularExpressionMatch &m : widths.globalMatch(body)) {
            shrunk += body.mid(done, m.capturedStart(2) - done) + QString::number(m.captured(2).toInt() * 3 / 4);
            done = m.capturedEnd(2);
        }
        body = shrunk + body.mid(done);
        html += first ? u"<div>"_s : u"<div style=\"page-break-before: always\">"_s;
        html += body + u"</div>"_s;
        first = false;
    }
    html += u"</body></html>"_s;
    auto doc = std::make_unique<QTextDocument>();
    QFile css(folder() + u"handbuch.css"_s);
    if (css.open(QIODevice::ReadOnly))
        doc->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
    // The document reads pictures from files only; these are in the resources.
    // The printer's copy of the document takes the reader along.
    doc->setResourceProvider([](const QUrl &url) -> QVariant {
        if (url.scheme() != u"qrc"_s)
            return {};
        const QImage picture(u':' + url.path());
        return picture.isNull() ? QVariant() : QVariant(picture);
    });
    doc->setHtml(html);
    return doc;
}

bool writePdf(const QString &path)
{
    // An old file left in place would pass for the new one.
    if (QFile::exists(path) && !QFile::remove(path))
        return false;
    {
        QPdfWriter writer(path);
        writer.setTitle(u"Vexilor – Handbuch"_s);
        writer.setCreator(u"Vexilor"_s);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter);
        // Without a page size of its own the document is laid out for the
        // sheet, and the pages are numbered.
        printDocument()->print(&writer);
    }
    return QFileInfo(path).size() > 0;
}

} // namespace vex::manual
