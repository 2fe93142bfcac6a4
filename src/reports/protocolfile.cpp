#include "reports/protocolfile.h"

#include "reports/protocoltext.h"
#include "reports/savefile.h"
#include "results/competition.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace vex {

std::optional<QString> WriteProtocolText(const Competition &competition, const QString &path)
{
    return saveFileWhole(path, formatProtocolText(competition));
}

QString readErrorText(const QString &path)
{
    return u"Der Lesefehler der Datei: "_s + path;
}

ProtocolReadResult ReadProtocolText(Competition &competition, const QString &path)
{
    ProtocolReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // The operator asked to replace the protocol: the first page is
        // emptied whether or not the file can be read.
        competition.page(0)->reset();
        result.error = readErrorText(path);
        return result;
    }
    const qint64 expected = file.size();
    if (expected > kMaxProtocolFileBytes) {
        result.refused = true;
        result.error = refusalText({ProtocolRefusal::TooLarge, 0}, path);
        return result;
    }

    QByteArray bytes;
    if (expected > 0)
        bytes.reserve(expected);
    char chunk[64 * 1024];
    result.complete = true;
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0) {
            result.complete = false;
            result.error = readErrorText(path);
            break;
        }
        if (n == 0)
            break;
        if (bytes.size() + n > kMaxProtocolFileBytes) {
            result.refused = true;
            result.error = refusalText({ProtocolRefusal::TooLarge, 0}, path);
            return result;
        }
        bytes.append(chunk, n);
    }

    const ProtocolLoadResult loaded = parseProtocolText(competition, bytes);
    if (loaded.refusal) {
        result.refused = true;
        result.complete = false;
        result.error = refusalText(*loaded.refusal, path);
        return result;
    }
    result.opened = true;
    result.skippedClasses = loaded.skippedClasses;
    result.regulation = loaded.regulation;
    result.fileRuns = loaded.fileRuns;
    result.holdsRuns = loaded.holdsRuns;
    return result;
}

} // namespace vex
