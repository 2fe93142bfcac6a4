#pragma once

#include "settings/regfileformat.h"
#include "settings/settingsbackend.h"

#include <QList>
#include <QString>

#include <memory>

namespace vex {

// Far more than the settings of any number of program copies take.
inline constexpr qint64 kMaxSettingsFileBytes = 16 * 1024 * 1024;

// The settings key kept in a file in the format of a registry export, so the
// file can be read by eye, edited by hand and merged into a Windows registry.
// Keys are below HKEY_CURRENT_USER. Writes are collected in memory and stored
// by closeKey in one atomic replacement of the file: a crash or a full disk
// while saving leaves the previous file as it was. Other keys and values the
// file holds are kept. A file that can't be read completely (damaged lines,
// no header, not a registry export at all) is copied to "<file>.bak" before
// it is replaced; when that copy can't be made, it isn't replaced. Only a
// regular file up to kMaxSettingsFileBytes is read at all; anything else in
// its place (a named pipe, a link to a device, a huge file) reads as no
// settings and is renamed to "<file>.bak" before the new file is written.
class RegFileBackend : public SettingsBackend
{
public:
    explicit RegFileBackend(QString filePath);

    const QString &filePath() const { return m_filePath; }
    QString backupFilePath() const;

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
    enum class Mode { Closed, Reading, Writing };

    // unusable: the file is there but is no regular file of a sensible size.
    RegExport readFile(QByteArray *bytes, bool *unusable) const;
    const RegValue *find(const QString &name) const;
    bool write(RegValue value);

    QString m_filePath;
    Mode m_mode = Mode::Closed;
    QList<RegKey> m_keys;
    qsizetype m_key = -1;  // the open key in m_keys
    QByteArray m_unreadBytes;  // the file as it was, when it needs a copy
    bool m_setAside = false;   // the file is to be renamed, not copied
};

// Where the settings of a program copy live: $XDG_CONFIG_HOME (by default
// ~/.config) / "Orrendal" / <application title> ".reg".
QString defaultSettingsFilePath(const QString &appTitle);

// The file backend at that place.
std::unique_ptr<SettingsBackend> makeSettingsFileBackend(const QString &appTitle);

} // namespace vex
