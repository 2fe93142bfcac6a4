#include "office/officereportsadapter.h"

#include "office/automation.h"
#include "office/wordreport.h"

namespace vex {

AutomationOfficeReports::AutomationOfficeReports(AutomationServers &servers, std::function<OfficeContext()> context,
                                                 OfficeProgress &progress)
    : m_servers(servers)
    , m_context(std::move(context))
    , m_progress(progress)
{
}

bool AutomationOfficeReports::spreadsheetAvailable() const
{
    return m_servers.IsProgIdRegistered(kExcelProgId);
}

bool AutomationOfficeReports::wordProcessorAvailable() const
{
    return m_servers.IsProgIdRegistered(kWordProgId);
}

std::optional<QString> AutomationOfficeReports::ExportExcelProtocol(const Competition &competition,
                                                                    const QString &path)
{
    const OfficeContext c = m_context();
    return vex::ExportExcelProtocol(m_servers, competition, path, {c.start, c.title, c.title2}, m_progress);
}

std::optional<QString> AutomationOfficeReports::WriteWordReport(const Competition &competition, int mode,
                                                                const QString &path)
{
    const OfficeContext c = m_context();
    WordReportInfo info;
    info.title = c.title;
    info.title2 = c.title2;
    info.templatePath = c.templatePath;
    info.columnShown = c.columnShown;
    // The word processor fails silently.
    vex::WriteWordReport(m_servers, competition, mode == 0 ? WordReportMode::Show : WordReportMode::Save, path, info);
    return std::nullopt;
}

std::optional<QString> AutomationOfficeReports::ImportExcelStartList(Competition &competition, const QString &path)
{
    return vex::ImportExcelStartList(m_servers, competition, path, m_context().start, m_progress);
}

} // namespace vex
