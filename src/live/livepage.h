#pragma once

#include <QByteArray>
#include <QString>

namespace vex {

// The live page: one self-contained file (its styles and script inside, no
// fonts or scripts from elsewhere) with the document it starts from built in;
// from then on it follows the server's pushes. UTF-8.
QByteArray livePage(const QString &title, const QByteArray &document);

// JSON made safe to stand inside a script element: no "<", ">" or "&" that a
// driver's name could use to end it early.
QByteArray scriptSafeJson(const QByteArray &json);

} // namespace vex
