// The reader of protocol files and start lists. Bytes that are loaded, saved,
// loaded and saved again must give the same file both times, and whatever the
// writer makes must load.
#include "reports/protocoltext.h"
#include "results/competition.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // Built once: a load resets every page and the class list anyway, and a
    // refused file leaves the empty competition empty.
    static vex::Competition first;
    static vex::Competition second;
    first.resetPages();
    first.setClasses({});

    vex::parseProtocolText(first, bytes);
    const QByteArray saved = vex::formatProtocolText(first);

    if (vex::parseProtocolText(second, saved).refusal) {
        std::fputs("the writer made a file the reader refuses\n", stderr);
        std::abort();
    }
    const QByteArray again = vex::formatProtocolText(second);
    if (again != saved) {
        std::fprintf(stderr, "load, save, load, save gave different bytes\nfirst save:  %s\nsecond save: %s\n",
                     saved.toHex(' ').constData(), again.toHex(' ').constData());
        std::abort();
    }
    return 0;
}
