#include "publish/publishfiles.h"

#include "live/livejson.h"
#include "reports/protocoltext.h"
#include "results/competition.h"

#include <QFile>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QByteArray resource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The live page's styles, so the two pages look alike and change together.
QByteArray liveStyles()
{
    const QByteArray live = resource(u":/live/livepage.html"_s);
    const qsizetype from = live.indexOf("<style>");
    const qsizetype to = live.indexOf("</style>");
    if (from < 0 || to < from)
        return {};
    return live.mid(from, to + 8 - from);
}

} // namespace

QByteArray staticResultsPage(const QString &title)
{
    static const QByteArray styles = liveStyles();
    static const QByteArray page = resource(u":/publish/publishpage.html"_s);
    // Filled in one pass, the markers in the order they stand: a title
    // holding a marker stays as it is typed.
    const std::array<std::pair<QByteArrayView, QByteArray>, 2> fills{{
        {"@TITLE@", title.toHtmlEscaped().toUtf8()},
        {"@STYLE@", styles},
    }};
    QByteArray out;
    qsizetype from = 0;
    for (const auto &[marker, text] : fills) {
        const qsizetype at = page.indexOf(marker, from);
        Q_ASSERT(at >= 0);
        out += page.mid(from, at - from) + text;
        from = at + marker.size();
    }
    return out + page.mid(from);
}

QList<PublishFile> publishFiles(const PublishSnapshot &snapshot, int content, NameStyle style)
{
    QList<PublishFile> files;
    if (!snapshot.results)
        return files;
    LiveResults results = *snapshot.results;
    LiveCourse course = snapshot.course;
    applyNameStyle(results, course, style);
    const std::unique_ptr<Competition> competition = competitionOf(results);
    const QByteArray document = liveDocument(liveResultsJson(results, *competition), liveCourseJson(course));
    if (content & (ContentJson | ContentPage))
        files.append({u"results.json"_s, document});
    if (content & ContentPage)
        files.append({u"index.html"_s, staticResultsPage(results.title)});
    if (content & ContentProtocol)
        files.append({u"protokoll.txt"_s, formatProtocolText(*competition)});
    if (content & ContentSeason) {
        const QByteArray &season = snapshot.seasonPages.at(size_t(style));
        if (!season.isEmpty())
            files.append({u"season.html"_s, season});
    }
    return files;
}

} // namespace vex
