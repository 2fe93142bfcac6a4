#include "app/desktopshell.h"

#include "reports/htmlprinter.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

namespace vex {

void SystemDesktopShell::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void SystemDesktopShell::printDocument(const QString &path, QWidget *parent)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray page = file.readAll();
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printHtmlReport(page, printer);
}

} // namespace vex
