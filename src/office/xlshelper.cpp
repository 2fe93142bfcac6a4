// vexilor-xls PATH: reads the binary workbook at PATH and writes its sheets
// and cells to standard output (serializeWorkbook); a refused file ends with
// exit code 1 and the German message instead. Run by readXlsFile, never by
// the operator.
#include "office/automation.h"
#include "office/xlsreading.h"

#include <QFile>
#include <QString>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include "platform/windowsapi.h"
#else
#include <sys/resource.h>
#endif

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
#define VEX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEX_ASAN 1
#endif
#endif

namespace {

constexpr int kCpuSeconds = 10;
constexpr unsigned long long kMemoryBytes = 1ULL << 30;

#ifdef Q_OS_WIN
// Windows has no resource limits of a process's own: the helper puts itself
// into a job that holds them. The job ends with the helper's last handle.
void limitThisProcess()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_TIME | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    info.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart = LONGLONG(kCpuSeconds) * 10'000'000;
#ifndef VEX_ASAN
    info.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    info.ProcessMemoryLimit = SIZE_T(kMemoryBytes);
#endif
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &info, sizeof info))
        AssignProcessToJobObject(job, GetCurrentProcess());
    // No error box for a fault of the parser: the program sees the exit.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}
#else
void limit(int resource, rlim_t value)
{
    const rlimit limits{value, value};
    setrlimit(resource, &limits);
}

void limitThisProcess()
{
    limit(RLIMIT_CPU, kCpuSeconds);
    limit(RLIMIT_CORE, 0);
#ifndef VEX_ASAN
    limit(RLIMIT_AS, rlim_t(kMemoryBytes));
#endif
}
#endif

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
    limitThisProcess();
#ifdef Q_OS_WIN
    // The answer is bytes: no line ending may be turned into two.
    _setmode(_fileno(stdout), _O_BINARY);
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
