#pragma once

#include "live/livesnapshot.h"

#include <QByteArray>
#include <QJsonObject>

#include <memory>

namespace vex {

class Competition;

// What the server hands out for the snapshots it holds, each made once per
// snapshot on first demand: the page, the JSON document, the run alone, and
// the protocol as "Speichern" writes it as text and as a web page.
class LiveDocuments
{
public:
    LiveDocuments();
    ~LiveDocuments();

    void setResults(LiveResultsPtr results);
    void setCourse(const LiveCourse &course);

    const LiveResults &results() const { return *m_results; }
    const QByteArray &page();
    const QByteArray &document();
    const QByteArray &courseMessage();
    const QByteArray &protocolText();
    const QByteArray &protocolHtml();

private:
    // Built only for the protocol's two documents, when they are asked for.
    const Competition &competition();

    LiveResultsPtr m_results;
    LiveCourse m_course;
    std::unique_ptr<Competition> m_competition;
    QJsonObject m_resultsJson;
    QJsonObject m_courseJson;
    QByteArray m_page;
    QByteArray m_document;
    QByteArray m_courseMessage;
    QByteArray m_protocolText;
    QByteArray m_protocolHtml;
};

} // namespace vex
