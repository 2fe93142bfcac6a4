// vexilor-xls PATH: reads the binary workbook at PATH and writes its sheets
// and cells to standard output (serializeWorkbook); a refused file ends with
// exit code 1 and the German message instead. Run by readXlsFile, never by
// the operator.
#include "office/automation.h"
#include "office/xlsreading.h"

#include <QFile>
#include <QString>

#include <sys/resource.h>

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
#define VEX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEX_ASAN 1
#endif
#endif

namespace {

void limit(int resource, rlim_t value)
{
    const rlimit limits{value, value};
    setrlimit(resource, &limits);
}

bool writeAll(const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) == std::size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    // No file runs away with the machine: ten seconds of processor time,
    // and (where no sanitizer reserves its shadow memory) 1 GB of memory.
    limit(RLIMIT_CPU, 10);
    limit(RLIMIT_CORE, 0);
#ifndef VEX_ASAN
    limit(RLIMIT_AS, rlim_t(1) << 30);
#endif
    if (argc != 2)
        return 2;
    try {
        const vex::WorkbookData workbook = vex::readXlsFileInProcess(QFile::decodeName(argv[1]));
        return writeAll(vex::serializeWorkbook(workbook)) ? 0 : 2;
    } catch (const vex::AutomationError &e) {
        writeAll(e.message().toUtf8());
        return 1;
    } catch (...) {
        return 2;
    }
}
