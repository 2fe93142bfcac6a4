#pragma once

#include "office/automation.h"
#include "office/workbookdata.h"

#include <memory>
#include <vector>

namespace vex {

class DocumentOpener;
class LocalWorkbook;

// The spreadsheet server of this program: workbooks in memory, opened from
// and saved to workbook files. Making it visible hands the active workbook
// to the desktop's spreadsheet program.
class LocalExcelApplication final : public ExcelApplication
{
public:
    explicit LocalExcelApplication(DocumentOpener *opener);
    ~LocalExcelApplication() override;

    void setDisplayAlerts(bool on) override;
    void setEnableEvents(bool on) override;
    void setVisible(bool on) override;
    void setSheetsInNewWorkbook(int count) override;
    void quit() override;
    ExcelWorkbook &workbooksOpen(const QString &path) override;
    ExcelWorkbook &workbooksAdd() override;

    // Where the last made-visible workbook was saved, for tests.
    QString shownPath() const { return m_shownPath; }

private:
    DocumentOpener *m_opener;
    std::vector<std::unique_ptr<LocalWorkbook>> m_workbooks;
    int m_sheetsInNewWorkbook = 1;
    QString m_shownPath;
};

// Removes the copies of workbooks made visible in this run; they go at the
// program's end anyway.
void removeShownWorkbooks();

} // namespace vex
