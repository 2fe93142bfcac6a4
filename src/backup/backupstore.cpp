#include "backup/backupstore.h"

#include "backup/backupnames.h"
#include "reports/protocoltext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include "platform/windowsapi.h"
#endif

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// A history entry holds the same bytes as the backup at that moment. Where
// the system allows, it is a second name for the backup's file: the backup is
// always replaced by a new file, never written into, so the entry keeps its
// bytes, and it costs no second write.
bool keepCopy(const QString &from, const QString &to)
{
#ifdef Q_OS_UNIX
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
#endif
#ifdef Q_OS_WIN
    // QFile::link() makes a shortcut there, not a second name.
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    const std::wstring existing = QDir::toNativeSeparators(from).toStdWString();
    if (CreateHardLinkW(target.c_str(), existing.c_str(), nullptr))
        return true;
#endif
    return QFile::copy(from, to);
}

// Nothing when the protocol reader would take the file back; otherwise why
// not, an empty refusal for a file that can't be opened at all.
std::optional<std::optional<ProtocolRefusal>> refusalOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::optional<ProtocolRefusal>();
    if (file.size() > kMaxProtocolFileBytes)
        return ProtocolRefusal{ProtocolRefusal::TooLarge, 0};
    const QByteArray bytes = file.read(kMaxProtocolFileBytes + 1);
    if (bytes.size() > kMaxProtocolFileBytes)
        return ProtocolRefusal{ProtocolRefusal::TooLarge, 0};
    if (std::optional<ProtocolRefusal> refusal = refusalOfProtocolBytes(bytes))
        return refusal;
    return std::nullopt;
}

} // namespace

BackupStore::BackupStore(const QString &folder, FileReplacer &replacer, Clock clock)
    : m_folder(folder)
    , m_replacer(replacer)
    , m_clock(std::move(clock))
{
    m_folder.mkpath(u"."_s);
    removeUnfinishedWrites();
    m_markerOnDisk = QFileInfo::exists(pathOf(backupnames::marker()));
    m_pending = m_markerOnDisk && QFileInfo::exists(backupPath());
    if (m_markerOnDisk && !m_pending)
        setMarker(false);
    scanHistory(m_clock().date());
}

QString BackupStore::backupPath() const
{
    return pathOf(backupnames::current());
}

QString BackupStore::writeErrorText() const
{
    return u"Die Sicherung der Ergebnisse konnte nicht geschrieben werden: "_s
        + QDir::toNativeSeparators(backupPath());
}

void BackupStore::recovered()
{
    if (!m_pending)
        return;
    QFile backup(backupPath());
    if (!backup.open(QIODevice::ReadOnly)) {
        // What can't be read can't be taken back either; it must not be
        // written over by what comes instead.
        keepAside();
        return;
    }
    m_pending = false;
    // Taking it back writes the same bytes again: nothing to put on the disk.
    m_lastWritten = backup.readAll();
    const QDate today = m_clock().date();
    if (today == m_historyDay && m_historyNumber > 0) {
        QFile newest(pathOf(backupnames::history(today, m_historyNumber)));
        if (newest.open(QIODevice::ReadOnly) && newest.readAll() == *m_lastWritten)
            return;
    }
    addToHistory(today);
}

std::optional<QString> BackupStore::setAsideIfUnreadable()
{
    if (!m_pending)
        return std::nullopt;
    const auto refusal = refusalOfFile(backupPath());
    if (!refusal)
        return std::nullopt;
    m_unreadable = true;
    const std::optional<QString> aside = keepAside();
    const QString path = QDir::toNativeSeparators(aside.value_or(backupPath()));
    QString text = u"Die Sicherung der letzten Sitzung kann nicht wiederhergestellt werden.\n"_s;
    text += *refusal ? refusalText(**refusal, path) : u"Sie lässt sich nicht lesen: "_s + path;
    if (aside)
        return text + u"\nSie bleibt unter diesem Namen unverändert erhalten."_s;
    return text + u"\nSie lässt sich nicht umbenennen; damit sie erhalten bleibt, werden neue "
                  u"Ergebnisse erst gesichert, wenn sie dort entfernt oder umbenannt ist."_s;
}

std::optional<QString> BackupStore::keepAside()
{
    const QString from = backupPath();
    const QDateTime now = m_clock();
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString to = pathOf(backupnames::aside(now, attempt));
        if (QFileInfo::exists(to))
            continue;
        // The rename itself refuses to replace a file that came up meanwhile.
        if (!QFile::rename(from, to)) {
            if (QFileInfo::exists(to))
                continue;
            return std::nullopt;
        }
        m_pending = false;
        m_lastWritten.reset();
        setMarker(false);
        return to;
    }
    return std::nullopt;
}

std::optional<QString> BackupStore::write(const QByteArray &protocolBytes)
{
    if (m_lastWritten && *m_lastWritten == protocolBytes)
        return std::nullopt;
    if (m_pending && !keepAside())
        return writeErrorText();
    // The marker goes first: a crash between the two leaves a marker beside
    // the older backup, which only asks once too often.
    const bool marked = m_markerOnDisk || setMarker(true);
    if (!m_replacer.replace(backupPath(), protocolBytes))
        return writeErrorText();
    m_lastWritten = protocolBytes;
    addToHistory(m_clock().date());
    if (!marked)
        return writeErrorText();
    return std::nullopt;
}

void BackupStore::markSaved()
{
    if (m_markerOnDisk)
        setMarker(false);
}

bool BackupStore::setMarker(bool unsaved)
{
    const QString path = pathOf(backupnames::marker());
    if (unsaved) {
        QFile file(path);
        m_markerOnDisk = file.open(QIODevice::WriteOnly);
        // The backup's own write flushes the folder, and the new name with it.
        return m_markerOnDisk;
    }
    if (!QFile::remove(path) && QFileInfo::exists(path))
        return false;
    m_markerOnDisk = false;
    return true;
}

void BackupStore::removeUnfinishedWrites()
{
    const QString prefix = backupnames::unfinishedPrefix();
    const QStringList leftovers = m_folder.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden);
    for (const QString &name : leftovers)
        m_folder.remove(name);
}

void BackupStore::scanHistory(QDate day)
{
    m_historyDay = day;
    m_historyNumber = 0;
    const QStringList names = m_folder.entryList({backupnames::historyPattern(day)}, QDir::Files);
    QList<int> numbers;
    for (const QString &name : names) {
        const int number = backupnames::historyNumber(name, day);
        if (number > 0)
            numbers.append(number);
    }
    for (const int number : std::as_const(numbers))
        m_historyNumber = std::max(m_historyNumber, number);
    for (const int number : std::as_const(numbers)) {
        if (number <= m_historyNumber - backupnames::kHistoryKept)
            m_folder.remove(backupnames::history(day, number));
    }
    m_prunedUpTo = std::max(0, m_historyNumber - backupnames::kHistoryKept);
}

void BackupStore::pruneHistory()
{
    while (m_prunedUpTo < m_historyNumber - backupnames::kHistoryKept)
        m_folder.remove(backupnames::history(m_historyDay, ++m_prunedUpTo));
}

void BackupStore::addToHistory(QDate day)
{
    if (day != m_historyDay) {
        pruneHistory();
        scanHistory(day);
    }
    const QString entry = pathOf(backupnames::history(day, ++m_historyNumber));
    // The history is a help for the operator, not the backup itself: a copy
    // that fails leaves a gap in the numbers and nothing else.
    keepCopy(backupPath(), entry);
}

} // namespace vex
