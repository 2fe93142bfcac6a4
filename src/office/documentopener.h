#pragma once

#include <QString>

namespace vex {

// Hands a written file to the desktop, which opens it in the program that
// belongs to its type. Tests record the calls.
class DocumentOpener
{
public:
    virtual ~DocumentOpener() = default;
    virtual void openDocument(const QString &path) = 0;
};

} // namespace vex
