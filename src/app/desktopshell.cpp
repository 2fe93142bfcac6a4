#include "app/desktopshell.h"

#include "reports/htmlprinter.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace vex {

void SystemDesktopShell::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

std::optional<QString> SystemDesktopShell::printDocument(const QString &path, QWidget *parent)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"Die Webseite zum Drucken kann nicht gelesen werden: "_s + path;
    const QByteArray page = file.readAll();
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    if (!printHtmlReport(page, printer))
        return printFailedText(printer.printerName());
    return std::nullopt;
}

QString printFailedText(const QString &printerName)
{
    return u"Das Protokoll konnte nicht gedruckt werden. Der Drucker meldet einen Fehler: "_s + printerName;
}

} // namespace vex
