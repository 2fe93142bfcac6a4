#include "office/automation.h"
#include "office/workbookdata.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

WorkbookData readWorkbookFile(const QString &path, int sheetsWithCells)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AutomationError(u"Die Datei „%1“ kann nicht geöffnet werden."_s.arg(QFileInfo(path).fileName()));
    }
    const QByteArray head = file.read(8);
    file.close();
    if (head.startsWith("PK\x03\x04"))
        return readXlsxFile(path, sheetsWithCells);
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return readXlsFile(path);
    throw AutomationError(u"Die Datei „%1“ ist keine Excel-Arbeitsmappe."_s.arg(QFileInfo(path).fileName()));
}

} // namespace vex
