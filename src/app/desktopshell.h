#pragma once

#include <QString>

#include <optional>

#include <QString>

class QWidget;

namespace vex {

// What the operating system's shell does with a written page: show it in the
// browser, or print it. The program uses the desktop; tests record the calls.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;
    virtual void openDocument(const QString &path) = 0;
    // Prints the HTML page at path; the user chooses the printer. Returns the
    // operator's message when printing failed; nothing when it worked or the
    // operator cancelled.
    virtual std::optional<QString> printDocument(const QString &path, QWidget *parent) = 0;
};

// The message for a printer that failed.
QString printFailedText(const QString &printerName);

// Opens through QDesktopServices; prints through the system print dialog and
// Qt's own HTML rendering, since there is no shell verb "print" here.
class SystemDesktopShell final : public DesktopShell
{
public:
    void openDocument(const QString &path) override;
    std::optional<QString> printDocument(const QString &path, QWidget *parent) override;
};

} // namespace vex
