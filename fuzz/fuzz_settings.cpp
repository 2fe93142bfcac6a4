// The reader of settings files. Whatever it reads is written back as a
// registry export that it reads completely, and loading and saving twice
// gives the same bytes.
#include "settings/regfileformat.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QByteArray &first, const QByteArray &second)
{
    std::fprintf(stderr, "%s\nfirst:  %s\nsecond: %s\n", what, first.toHex(' ').constData(),
                 second.toHex(' ').constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const vex::RegExport first = vex::readRegExport(vex::decodeRegFile(bytes));
    const QByteArray saved = vex::encodeRegFile(vex::formatRegExport(first.keys));

    const vex::RegExport second = vex::readRegExport(vex::decodeRegFile(saved));
    if (!second.fullyRead())
        fail("the writer made a file the reader can't read completely", saved, {});
    if (second.keys != first.keys)
        fail("the keys changed on the way through a file", saved, {});
    const QByteArray again = vex::encodeRegFile(vex::formatRegExport(second.keys));
    if (again != saved)
        fail("load, save, load, save gave different bytes", saved, again);
    return 0;
}
