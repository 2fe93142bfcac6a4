#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vex {

// The message the operator sees when a file can't be written.
QString writeErrorText(const QString &path);

// Replaces the file at path with the bytes as a whole: a failure at any point
// leaves an existing file as it was. Returns the message for the operator on
// failure, nothing on success.
std::optional<QString> saveFileWhole(const QString &path, const QByteArray &bytes);

} // namespace vex
