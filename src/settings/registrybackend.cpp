#include "settings/registrybackend.h"

#ifdef Q_OS_WIN

#include "settings/regfileformat.h"

#include <QtEndian>

#include <utility>

#include <windows.h>

namespace vex {

namespace {

// The registry's own limit for a value is far above this; the settings never
// come near it, and a value this big is not one of ours.
constexpr DWORD kMaxValueBytes = 1024 * 1024;

HKEY hkey(void *key)
{
    return static_cast<HKEY>(key);
}

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

} // namespace

RegistryBackend::~RegistryBackend()
{
    closeKey();
}

bool RegistryBackend::openForReading(const QString &keyPath)
{
    closeKey();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(keyPath), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    m_key = key;
    return true;
}

bool RegistryBackend::openForWriting(const QString &keyPath)
{
    closeKey();
    HKEY key = nullptr;
    // Creates the missing keys above it too.
    const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, wide(keyPath), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return false;
    m_key = key;
    m_writing = true;
    m_writeFailed = false;
    return true;
}

RegistryBackend::Raw RegistryBackend::query(const QString &name) const
{
    Raw raw;
    if (!m_key)
        return raw;
    // Another program may change the value between asking its size and
    // reading it; then the size is asked again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS status = RegQueryValueExW(hkey(m_key), wide(name), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return raw; // absent, or not readable: taken as absent
        if (size > kMaxValueBytes) {
            raw.status = ValueStatus::WrongType;
            return raw;
        }
        raw.data.resize(qsizetype(size));
        status = RegQueryValueExW(hkey(m_key), wide(name), nullptr, &type,
                                  reinterpret_cast<BYTE *>(raw.data.data()), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return Raw{};
        raw.data.resize(qsizetype(size));
        raw.type = type;
        raw.status = ValueStatus::Ok;
        return raw;
    }
    return Raw{};
}

ValueRead<qint32> RegistryBackend::readDword(const QString &name)
{
    const Raw raw = query(name);
    if (raw.status != ValueStatus::Ok)
        return {raw.status, 0};
    if (raw.type != REG_DWORD || raw.data.size() != 4)
        return {ValueStatus::WrongType, 0};
    return {ValueStatus::Ok, qFromLittleEndian<qint32>(raw.data.constData())};
}

ValueRead<QString> RegistryBackend::readString(const QString &name)
{
    const Raw raw = query(name);
    if (raw.status != ValueStatus::Ok)
        return {raw.status, {}};
    if (raw.type != REG_SZ && raw.type != REG_EXPAND_SZ)
        return {ValueStatus::WrongType, {}};
    // Up to the first zero; a string stored without one ends with its data.
    return {ValueStatus::Ok, stringFromRegData(raw.data)};
}

ValueRead<QByteArray> RegistryBackend::readBinary(const QString &name)
{
    const Raw raw = query(name);
    if (raw.status != ValueStatus::Ok)
        return {raw.status, {}};
    if (raw.type != REG_BINARY)
        return {ValueStatus::WrongType, {}};
    return {ValueStatus::Ok, raw.data};
}

bool RegistryBackend::set(const QString &name, unsigned long type, const QByteArray &data)
{
    const bool stored = m_key && m_writing
                        && RegSetValueExW(hkey(m_key), wide(name), 0, type,
                                          reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()))
                               == ERROR_SUCCESS;
    if (!stored)
        m_writeFailed = true;
    return stored;
}

bool RegistryBackend::writeDword(const QString &name, qint32 value)
{
    return set(name, REG_DWORD, dwordValue(name, value).data);
}

bool RegistryBackend::writeString(const QString &name, const QString &value)
{
    // UTF-16 with its terminating zero, as the registry keeps REG_SZ.
    return set(name, REG_SZ, stringValue(name, value).data);
}

bool RegistryBackend::writeBinary(const QString &name, const QByteArray &value)
{
    return set(name, REG_BINARY, value);
}

bool RegistryBackend::closeKey()
{
    const bool wasWriting = std::exchange(m_writing, false);
    const bool failed = std::exchange(m_writeFailed, false);
    if (void *key = std::exchange(m_key, nullptr))
        RegCloseKey(hkey(key));
    return !(wasWriting && failed);
}

} // namespace vex

#endif // Q_OS_WIN
