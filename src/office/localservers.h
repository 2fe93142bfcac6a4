#pragma once

#include "office/automation.h"

namespace vex {

class DocumentOpener;

// The automation servers this program brings along: "Excel.Application" on
// the workbook model, "Word.Basic" on the RTF document. What they show is
// handed to the desktop through the opener, which may be null.
class LocalAutomationServers final : public AutomationServers
{
public:
    explicit LocalAutomationServers(DocumentOpener *opener);

    bool IsProgIdRegistered(const QString &progId) const override;
    std::unique_ptr<ExcelApplication> createExcelApplication() override;
    std::unique_ptr<WordBasic> createWordBasic() override;

private:
    DocumentOpener *m_opener;
};

// No servers at all.
class NoAutomationServers final : public AutomationServers
{
public:
    bool IsProgIdRegistered(const QString &) const override { return false; }
    std::unique_ptr<ExcelApplication> createExcelApplication() override;
    std::unique_ptr<WordBasic> createWordBasic() override;
};

} // namespace vex
