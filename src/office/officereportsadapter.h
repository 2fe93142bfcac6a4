#pragma once

#include "office/excelexchange.h"
#include "reports/officereports.h"

#include <QList>

#include <functional>

namespace vex {

class AutomationServers;
class OfficeProgress;

// What the exchange reads of the settings and the window at the time of a call.
struct OfficeContext
{
    StartCell start;
    QString title;
    QString title2;
    QString templatePath;
    QList<bool> columnShown = QList<bool>(11, true);
};

// The file commands' view of the spreadsheet and the word processor, on
// the automation servers.
class AutomationOfficeReports final : public OfficeReports
{
public:
    AutomationOfficeReports(AutomationServers &servers, std::function<OfficeContext()> context,
                            OfficeProgress &progress);

    bool spreadsheetAvailable() const override;
    bool wordProcessorAvailable() const override;
    std::optional<QString> ExportExcelProtocol(const Competition &competition, const QString &path) override;
    std::optional<QString> WriteWordReport(const Competition &competition, int mode, const QString &path) override;
    std::optional<QString> ImportExcelStartList(Competition &competition, const QString &path) override;

private:
    AutomationServers &m_servers;
    std::function<OfficeContext()> m_context;
    OfficeProgress &m_progress;
};

} // namespace vex
