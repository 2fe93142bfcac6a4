#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace vex {

// Why a typed read gave no value: the caller's rules differ between a value
// that is absent and one stored with another type.
enum class ValueStatus { Ok, Missing, WrongType };

template <typename T>
struct ValueRead
{
    ValueStatus status = ValueStatus::Missing;
    T value{};

    bool ok() const { return status == ValueStatus::Ok; }
};

// One key of a store with registry semantics: named values of a type each.
// Integers, booleans and colours are REG_DWORD, strings REG_SZ (REG_EXPAND_SZ
// is read too, without expanding it), doubles 8 bytes of REG_BINARY.
//
// Use: openForReading, reads, closeKey; or openForWriting, writes, closeKey.
// A registry implementation writes each value at once; a file implementation
// may collect the writes and store them all in closeKey.
class SettingsBackend
{
public:
    virtual ~SettingsBackend() = default;

    // keyPath is below the current user's root, e.g. "Software\Orrendal\Vexilor".
    // False when the key doesn't exist; it is never created here.
    virtual bool openForReading(const QString &keyPath) = 0;
    // Opens the key, creating it and every missing key above it.
    virtual bool openForWriting(const QString &keyPath) = 0;

    // A REG_DWORD of exactly 4 bytes.
    virtual ValueRead<qint32> readDword(const QString &name) = 0;
    // REG_SZ or REG_EXPAND_SZ, up to the first terminating zero.
    virtual ValueRead<QString> readString(const QString &name) = 0;
    // REG_BINARY of any length.
    virtual ValueRead<QByteArray> readBinary(const QString &name) = 0;

    virtual bool writeDword(const QString &name, qint32 value) = 0;
    virtual bool writeString(const QString &name, const QString &value) = 0;
    virtual bool writeBinary(const QString &name, const QByteArray &value) = 0;

    // Releases the key. After writing, true only when every value written
    // since openForWriting is stored; false after reading never happens.
    virtual bool closeKey() = 0;
};

} // namespace vex
