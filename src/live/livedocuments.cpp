#include "live/livedocuments.h"

#include "live/livejson.h"
#include "live/livepage.h"
#include "reports/awards.h"
#include "reports/htmlreport.h"
#include "reports/protocoltext.h"
#include "results/competition.h"

namespace vex {

LiveDocuments::LiveDocuments()
    : m_results(std::make_shared<LiveResults>())
{
}

LiveDocuments::~LiveDocuments() = default;

void LiveDocuments::setResults(LiveResultsPtr results)
{
    m_results = std::move(results);
    m_competition.reset();
    m_resultsJson = {};
    m_page.clear();
    m_document.clear();
    m_protocolText.clear();
    m_protocolHtml.clear();
}

void LiveDocuments::setCourse(const LiveCourse &course)
{
    m_course = course;
    m_courseJson = {};
    m_page.clear();
    m_document.clear();
    m_courseMessage.clear();
}

const Competition &LiveDocuments::competition()
{
    if (!m_competition)
        m_competition = competitionOf(*m_results);
    return *m_competition;
}

const QByteArray &LiveDocuments::document()
{
    if (m_document.isEmpty()) {
        if (m_resultsJson.isEmpty())
            m_resultsJson = liveResultsJson(*m_results, competition());
        if (m_courseJson.isEmpty())
            m_courseJson = liveCourseJson(m_course);
        m_document = liveDocument(m_resultsJson, m_courseJson);
    }
    return m_document;
}

const QByteArray &LiveDocuments::courseMessage()
{
    if (m_courseMessage.isEmpty()) {
        if (m_courseJson.isEmpty())
            m_courseJson = liveCourseJson(m_course);
        m_courseMessage = liveCourseMessage(m_courseJson);
    }
    return m_courseMessage;
}

const QByteArray &LiveDocuments::page()
{
    if (m_page.isEmpty())
        m_page = livePage(m_results->title, document());
    return m_page;
}

const QByteArray &LiveDocuments::protocolText()
{
    if (m_protocolText.isEmpty())
        m_protocolText = formatProtocolText(competition());
    return m_protocolText;
}

const QByteArray &LiveDocuments::protocolHtml()
{
    if (m_protocolHtml.isEmpty()) {
        HtmlReportInfo info;
        info.title = m_results->title;
        info.title2 = m_results->subtitle;
        info.appTitle = m_results->appTitle;
        info.columnWidthPercent = m_results->columnWidthPercent;
        info.clubShown = m_results->clubShown;
        addAwards(info, competition(), m_results->teamRules);
        m_protocolHtml = buildHtmlReport(competition(), info);
    }
    return m_protocolHtml;
}

} // namespace vex
