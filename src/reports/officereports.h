#pragma once

#include <QString>

#include <optional>

namespace vex {

class Competition;

// The spreadsheet and word-processor side of the protocol: the export to a
// workbook, the word-processor report and the start-list import from a
// workbook. Each returns an error text for the operator, or nothing.
class OfficeReports
{
public:
    virtual ~OfficeReports() = default;
    // Whether the save and open dialogs offer workbooks at all.
    virtual bool spreadsheetAvailable() const = 0;
    virtual bool wordProcessorAvailable() const = 0;
    virtual std::optional<QString> ExportExcelProtocol(const Competition &competition, const QString &path) = 0;
    // mode 1 saves the document at path.
    virtual std::optional<QString> WriteWordReport(const Competition &competition, int mode, const QString &path) = 0;
    virtual std::optional<QString> ImportExcelStartList(Competition &competition, const QString &path) = 0;
};

// Until the workbook and document writers exist, every call tells the
// operator so, and nothing is written.
class NoOfficeReports final : public OfficeReports
{
public:
    bool spreadsheetAvailable() const override { return false; }
    bool wordProcessorAvailable() const override { return false; }
    std::optional<QString> ExportExcelProtocol(const Competition &, const QString &) override { return notAvailable(); }
    std::optional<QString> WriteWordReport(const Competition &, int, const QString &) override { return notAvailable(); }
    std::optional<QString> ImportExcelStartList(Competition &, const QString &) override { return notAvailable(); }

private:
    static QString notAvailable()
    {
        return QStringLiteral("Dieses Dateiformat kann auf diesem Rechner noch nicht geschrieben oder gelesen werden. "
                              "Bitte als Textdatei oder Webseite speichern.");
    }
};

} // namespace vex
