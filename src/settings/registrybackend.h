#pragma once

#include "settings/settingsbackend.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

namespace vex {

// The settings key in the Windows registry below HKEY_CURRENT_USER, e.g.
// HKEY_CURRENT_USER\Software\Orrendal\Vexilor. Every write goes to the
// registry at once; closeKey reports whether all of them did.
class RegistryBackend final : public SettingsBackend
{
public:
    RegistryBackend() = default;
    ~RegistryBackend() override;
    RegistryBackend(const RegistryBackend &) = delete;
    RegistryBackend &operator=(const RegistryBackend &) = delete;

    bool openForReading(const QString &keyPath) override;
    bool openForWriting(const QString &keyPath) override;

    ValueRead<qint32> readDword(const QString &name) override;
    ValueRead<QString> readString(const QString &name) override;
    ValueRead<QByteArray> readBinary(const QString &name) override;

    bool writeDword(const QString &name, qint32 value) override;
    bool writeString(const QString &name, const QString &value) override;
    bool writeBinary(const QString &name, const QByteArray &value) override;

    bool closeKey() override;

private:
    struct Raw
    {
        ValueStatus status = ValueStatus::Missing;
        unsigned long type = 0;
        QByteArray data;
    };
    Raw query(const QString &name) const;
    bool set(const QString &name, unsigned long type, const QByteArray &data);

    void *m_key = nullptr;     // the open HKEY
    bool m_writing = false;
    bool m_writeFailed = false;
};

} // namespace vex

#endif // Q_OS_WIN
