#include "office/xlsxpackage.h"

#include "office/automation.h"

#include <unzip.h>

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include "platform/windowsapi.h"
#endif

using namespace Qt::StringLiterals;

namespace vex {

void xlsxUnreadable(const QString &path)
{
    throw AutomationError(u"Die Arbeitsmappe „%1“ ist beschädigt oder unvollständig und kann nicht gelesen werden."_s
                              .arg(QFileInfo(path).fileName()));
}

namespace {

[[noreturn]] void tooBig(const QString &path)
{
    throw AutomationError(u"Die Arbeitsmappe „%1“ ist zu groß für eine Starterliste und wird nicht gelesen."_s.arg(
        QFileInfo(path).fileName()));
}

void checkXml(const QXmlStreamReader &xml, const QString &path)
{
    if (xml.hasError())
        xlsxUnreadable(path);
}

} // namespace

XlsxPackage::XlsxPackage(const QString &path, qint64 budget)
    : m_path(path)
    , m_zip(unzOpen64(QFile::encodeName(path).constData()))
    , m_budget(budget)
{
    if (!m_zip)
        xlsxUnreadable(path);
}

XlsxPackage::~XlsxPackage()
{
    unzClose(m_zip);
}

bool XlsxPackage::has(const QString &name)
{
    return unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK;
}

QByteArray XlsxPackage::part(const QString &name)
{
    unz_file_info64 info{};
    if (!has(name) || unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        xlsxUnreadable(m_path);
    // The size in the directory may lie; the reading below holds to it.
    if (info.uncompressed_size > quint64(m_budget))
        tooBig(m_path);
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        xlsxUnreadable(m_path);
    QByteArray bytes(qsizetype(info.uncompressed_size), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        char chunk[65536];
        const int n = unzReadCurrentFile(m_zip, chunk, sizeof chunk);
        if (n < 0 || filled + n > bytes.size()) {
            unzCloseCurrentFile(m_zip);
            xlsxUnreadable(m_path);
        }
        if (n == 0)
            break;
        std::memcpy(bytes.data() + filled, chunk, std::size_t(n));
        filled += n;
    }
    // Closing checks the part's checksum.
    if (unzCloseCurrentFile(m_zip) != UNZ_OK || filled != bytes.size())
        xlsxUnreadable(m_path);
    m_budget -= bytes.size();
    return bytes;
}

QByteArray XlsxPackage::optionalPart(const QString &name)
{
    return has(name) ? part(name) : QByteArray();
}

QStringList XlsxPackage::partNames()
{
    QStringList names;
    for (int status = unzGoToFirstFile(m_zip); status == UNZ_OK; status = unzGoToNextFile(m_zip)) {
        char name[1024];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            xlsxUnreadable(m_path);
        names.append(QString::fromUtf8(name));
        if (names.size() > 10000)
            tooBig(m_path);
    }
    return names;
}

QList<XlsxSheetEntry> readXlsxSheetList(XlsxPackage &package)
{
    struct Entry
    {
        QString name;
        QString relationId;
    };
    QList<Entry> entries;
    {
        QXmlStreamReader xml(package.part(u"xl/workbook.xml"_s));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet"_s) {
                const QXmlStreamAttributes attributes = xml.attributes();
                QString id;
                for (const QXmlStreamAttribute &a : attributes) {
                    if (a.name() == u"id"_s)
                        id = a.value().toString();
                }
                entries.append({attributes.value(u"name"_s).toString(), id});
            }
        }
        checkXml(xml, package.path());
    }

    QHash<QString, QString> targets;
    {
        QXmlStreamReader xml(package.part(u"xl/_rels/workbook.xml.rels"_s));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship"_s) {
                const QXmlStreamAttributes attributes = xml.attributes();
                QString target = attributes.value(u"Target"_s).toString();
                target = target.startsWith(u'/') ? target.mid(1) : u"xl/"_s + target;
                targets.insert(attributes.value(u"Id"_s).toString(), target);
            }
        }
        checkXml(xml, package.path());
    }

    QList<XlsxSheetEntry> sheets;
    for (const Entry &entry : std::as_const(entries)) {
        const QString target = targets.value(entry.relationId);
        if (target.isEmpty())
            xlsxUnreadable(package.path());
        sheets.append({entry.name, target});
    }
    return sheets;
}

bool isTimeFormatCode(const QString &code)
{
    QString plain;
    bool quoted = false;
    for (QChar c : code) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted)
            plain += c.toLower();
    }
    return (plain.contains(u'h') || plain.contains(u's')) && !plain.contains(u'y') && !plain.contains(u'd');
}

void xlsxNotWritten(const QString &path, const QString &reason)
{
    throw AutomationError(u"Die Arbeitsmappe „%1“ kann nicht geschrieben werden (%2)."_s.arg(path, reason));
}

namespace {

bool replaceFileWith(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    // The C library's rename() there refuses a target that exists.
    return MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

} // namespace

void replaceWorkbook(const QString &path, const std::function<void(const QString &partial)> &write)
{
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        xlsxNotWritten(path, u"der Ordner fehlt"_s);
    const QString partial = target.absoluteFilePath() + u".part"_s;
    try {
        write(partial);
    } catch (const AutomationError &) {
        QFile::remove(partial);
        throw;
    }
    // The new file replaces the old one in one step; removing it first would
    // lose it when the rename then fails.
    if (!replaceFileWith(partial, path)) {
        QFile::remove(partial);
        xlsxNotWritten(path, u"die Datei ist schreibgeschützt oder in Benutzung"_s);
    }
}

} // namespace vex
