#include "settings/regfilebackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString fullKeyPath(const QString &keyPath)
{
    return u"HKEY_CURRENT_USER\\"_s + keyPath;
}

qsizetype findKey(const QList<RegKey> &keys, const QString &path)
{
    for (qsizetype k = 0; k < keys.size(); ++k) {
        if (keys[k].path.compare(path, Qt::CaseInsensitive) == 0)
            return k;
    }
    return -1;
}

} // namespace

RegFileBackend::RegFileBackend(QString filePath)
    : m_filePath(std::move(filePath))
{
}

RegExport RegFileBackend::readFile(QByteArray *bytes, bool *unusable) const
{
    *unusable = false;
    const QFileInfo info(m_filePath);
    if (!info.exists())
        return {};
    // Opening a named pipe would wait for a writer that never comes, and a
    // device such as /dev/zero never ends: only regular files are read.
    if (!info.isFile() || info.size() > kMaxSettingsFileBytes) {
        *unusable = true;
        return {};
    }
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.read(kMaxSettingsFileBytes + 1);
    if (content.size() > kMaxSettingsFileBytes) {
        *unusable = true;
        return {};
    }
    if (bytes)
        *bytes = content;
    return readRegExport(decodeRegFile(content));
}

bool RegFileBackend::openForReading(const QString &keyPath)
{
    bool unusable = false;
    m_keys = readFile(nullptr, &unusable).keys;
    m_key = findKey(m_keys, fullKeyPath(keyPath));
    m_mode = m_key >= 0 ? Mode::Reading : Mode::Closed;
    return m_key >= 0;
}

bool RegFileBackend::openForWriting(const QString &keyPath)
{
    m_mode = Mode::Closed;
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath()))
        return false;
    // Whatever else the file holds survives the rewrite. What can't be read
    // would be lost with it, so such a file is kept as a copy first.
    QByteArray bytes;
    RegExport existing = readFile(&bytes, &m_setAside);
    m_keys = std::move(existing.keys);
    m_unreadBytes.clear();
    if (!existing.fullyRead() && !QByteArrayView(bytes).trimmed().isEmpty())
        m_unreadBytes = bytes;
    const QString path = fullKeyPath(keyPath);
    m_key = findKey(m_keys, path);
    if (m_key < 0) {
        m_keys.append(RegKey{path, {}});
        m_key = m_keys.size() - 1;
    }
    m_mode = Mode::Writing;
    return true;
}

const RegValue *RegFileBackend::find(const QString &name) const
{
    if (m_mode == Mode::Closed)
        return nullptr;
    return m_keys[m_key].find(name);
}

ValueRead<qint32> RegFileBackend::readDword(const QString &name)
{
    const RegValue *value = find(name);
    if (!value)
        return {};
    if (value->type != RegDword || value->data.size() != 4)
        return {ValueStatus::WrongType, 0};
    return {ValueStatus::Ok, qFromLittleEndian<qint32>(value->data.constData())};
}

ValueRead<QString> RegFileBackend::readString(const QString &name)
{
    const RegValue *value = find(name);
    if (!value)
        return {};
    if (value->type != RegSz && value->type != RegExpandSz)
        return {ValueStatus::WrongType, {}};
    return {ValueStatus::Ok, stringFromRegData(value->data)};
}

ValueRead<QByteArray> RegFileBackend::readBinary(const QString &name)
{
    const RegValue *value = find(name);
    if (!value)
        return {};
    if (value->type != RegBinary)
        return {ValueStatus::WrongType, {}};
    return {ValueStatus::Ok, value->data};
}

bool RegFileBackend::write(RegValue value)
{
    if (m_mode != Mode::Writing)
        return false;
    m_keys[m_key].set(std::move(value));
    return true;
}

bool RegFileBackend::writeDword(const QString &name, qint32 value)
{
    return write(dwordValue(name, value));
}

bool RegFileBackend::writeString(const QString &name, const QString &value)
{
    return write(stringValue(name, value));
}

bool RegFileBackend::writeBinary(const QString &name, const QByteArray &value)
{
    return write(RegValue{name, RegBinary, value});
}

bool RegFileBackend::closeKey()
{
    const Mode mode = std::exchange(m_mode, Mode::Closed);
    const QList<RegKey> keys = std::exchange(m_keys, {});
    const QByteArray unread = std::exchange(m_unreadBytes, {});
    const bool setAside = std::exchange(m_setAside, false);
    m_key = -1;
    if (mode != Mode::Writing)
        return true;

    // What wasn't read at all can't be copied either: it moves under the
    // copy's name as it is.
    if (setAside) {
        const QString backup = backupFilePath();
        QFile::remove(backup);
        if (std::rename(QFile::encodeName(m_filePath).constData(), QFile::encodeName(backup).constData()) != 0)
            return false;
    }

    if (!unread.isEmpty()) {
        QSaveFile copy(backupFilePath());
        if (!copy.open(QIODevice::WriteOnly) || copy.write(unread) != unread.size() || !copy.commit())
            return false;
    }

    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encodeRegFile(formatRegExport(keys));
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString RegFileBackend::backupFilePath() const
{
    return m_filePath + u".bak"_s;
}

QString defaultSettingsFilePath(const QString &appTitle)
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + u"/.config"_s;
    return configHome + u"/Orrendal/"_s + appTitle + u".reg"_s;
}

std::unique_ptr<SettingsBackend> makeSettingsFileBackend(const QString &appTitle)
{
    return std::make_unique<RegFileBackend>(defaultSettingsFilePath(appTitle));
}

} // namespace vex
