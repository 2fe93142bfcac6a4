#pragma once

// Lets no file grow beyond a few bytes while it lives, for root too: a write
// that would replace an existing file fails halfway. Windows has no such
// limit for a process; the rows that need one are skipped there.

#include <QtGlobal>
#include <QTest>

#ifdef Q_OS_WIN

#include <cstdint>

using rlim_t = std::uint64_t;

class FileSizeLimit
{
public:
    static constexpr bool kAvailable = false;
    explicit FileSizeLimit(rlim_t) {}
};

#else

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    static constexpr bool kAvailable = true;
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

#endif

// In a test function (or row) that needs a full disk.
#define VEX_REQUIRE_FILE_SIZE_LIMIT()                                                        \
    do {                                                                                     \
        if (!FileSizeLimit::kAvailable)                                                      \
            QSKIP("this system can't limit the size of a process's files");                 \
    } while (false)
