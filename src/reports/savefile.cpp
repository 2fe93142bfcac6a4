#include "reports/savefile.h"

#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace vex {

QString writeErrorText(const QString &path)
{
    return u"Der Schreibfehler der Datei: "_s + path;
}

std::optional<QString> saveFileWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeErrorText(path);
    // QSaveFile buffers: a full disk or a size limit shows only when the
    // buffer is flushed, and commit() alone would call a cut-off file good.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return writeErrorText(path);
    }
    if (!file.commit())
        return writeErrorText(path);
    return std::nullopt;
}

} // namespace vex
