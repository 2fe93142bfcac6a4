// The reader of binary workbooks as the helper process runs it, and its own
// reader of the compound file's number records on every input: no crash,
// no hang, no sanitizer report of our own, and what it reads survives the
// helper's answer unchanged.
#include "office/automation.h"
#include "office/xlsnumbers.h"
#include "office/xlsreading.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("f.xls"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    // Our own reader of the compound file first: FreeXL stops many inputs
    // before it would get to them.
    vex::readXlsNumbers(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    try {
        const vex::WorkbookData workbook = vex::readXlsFileInProcess(path);
        const QByteArray answer = vex::serializeWorkbook(workbook);
        const std::optional<vex::WorkbookData> back = vex::deserializeWorkbook(answer);
        if (!back || vex::serializeWorkbook(*back) != answer) {
            std::fputs("the helper's answer doesn't read back\n", stderr);
            std::abort();
        }
    } catch (const vex::AutomationError &) {
    }
    return 0;
}
