#include "office/localservers.h"

#include "office/excelserver.h"
#include "office/wordserver.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {
[[noreturn]] void notRegistered(const QString &progId)
{
    throw AutomationError(u"Auf diesem Rechner ist kein Automatisierungsserver „%1“ eingerichtet."_s.arg(progId));
}
} // namespace

LocalAutomationServers::LocalAutomationServers(DocumentOpener *opener)
    : m_opener(opener)
{
}

bool LocalAutomationServers::IsProgIdRegistered(const QString &progId) const
{
    return progId == kExcelProgId || progId == kWordProgId;
}

std::unique_ptr<ExcelApplication> LocalAutomationServers::createExcelApplication()
{
    return std::make_unique<LocalExcelApplication>(m_opener);
}

std::unique_ptr<WordBasic> LocalAutomationServers::createWordBasic()
{
    return std::make_unique<LocalWordBasic>(m_opener);
}

std::unique_ptr<ExcelApplication> NoAutomationServers::createExcelApplication()
{
    notRegistered(kExcelProgId);
}

std::unique_ptr<WordBasic> NoAutomationServers::createWordBasic()
{
    notRegistered(kWordProgId);
}

} // namespace vex
