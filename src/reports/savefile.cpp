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
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return writeErrorText(path);
    }
    if (!file.commit())
        return writeErrorText(path);
    return std::nullopt;
}

} // namespace vex
