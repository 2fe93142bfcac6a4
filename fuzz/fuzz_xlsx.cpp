// The reader of Office Open XML workbooks and the import behind it, and the
// saving into such a workbook: whatever the bytes, a workbook that reads must
// take the protocol written into it and read again.
#include "office/excelexchange.h"
#include "office/localservers.h"
#include "office/officeprogress.h"
#include "office/workbookdata.h"
#include "results/competition.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("f.xlsx"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    static vex::LocalAutomationServers servers(nullptr);
    vex::OfficeProgress progress;
    vex::Competition read;
    if (vex::ImportExcelStartList(servers, read, path, {0, 1}, progress))
        return 0;

    // A workbook that imports takes an export and still imports.
    vex::Competition protocol;
    protocol.setClasses({QStringLiteral("Bambini")});
    protocol.page(0)->setRowCount(2);
    protocol.page(0)->setRow(1, {QStringLiteral("1"), QStringLiteral("Müller"), {}, QStringLiteral("1:04,95")});
    if (const auto error = vex::ExportExcelProtocol(servers, protocol, path, {{0, 1}, {}, {}}, progress)) {
        // A file whose parts read but can't be patched is refused, not damaged.
        return 0;
    }
    vex::Competition again;
    if (const auto error = vex::ImportExcelStartList(servers, again, path, {0, 1}, progress)) {
        std::fprintf(stderr, "the saved workbook doesn't import: %s\n", qPrintable(*error));
        std::abort();
    }
    return 0;
}
