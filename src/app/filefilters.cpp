#include "app/filefilters.h"

#include <QFileInfo>

#include <optional>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const QString kTextFilter = u"Textdatei (*.txt)"_s;

// The extensions of a filter entry "Label (*.ext *.ext2)", without the dots.
QStringList extensionsOfFilter(const QString &filter)
{
    const qsizetype open = filter.lastIndexOf(u'(');
    if (open < 0 || !filter.endsWith(u')'))
        return {};
    QStringList extensions;
    for (QStringView pattern : QStringView(filter).sliced(open + 1, filter.size() - open - 2).split(u' ')) {
        if (pattern.startsWith(u"*.") && pattern.size() > 2)
            extensions.append(pattern.sliced(2).toString());
    }
    return extensions;
}

} // namespace

QStringList openFilters(bool spreadsheetAvailable)
{
    QStringList filters{kTextFilter};
    if (spreadsheetAvailable)
        filters.append(u"MS Excel (*.xlsx *.xls)"_s);
    return filters;
}

QStringList saveFilters(bool spreadsheetAvailable)
{
    QStringList filters{kTextFilter};
    if (spreadsheetAvailable)
        filters.append(u"MS Excel (*.xlsx)"_s);
    filters.append(u"MS Word (*.doc)"_s);
    filters.append(u"Webseite (*.html)"_s);
    return filters;
}


FileType typeOfFilter(const QString &filter)
{
    const QStringList extensions = extensionsOfFilter(filter);
    if (extensions.contains(u"txt"_s))
        return FileType::Text;
    if (extensions.contains(u"xlsx"_s) || extensions.contains(u"xls"_s))
        return FileType::Excel;
    if (extensions.contains(u"doc"_s))
        return FileType::Word;
    if (extensions.contains(u"html"_s))
        return FileType::Web;
    return FileType::Unknown;
}

namespace {

// The type of the dialog entry whose patterns hold the file's extension.
std::optional<FileType> typeOfExtension(const QString &path, const QStringList &filters)
{
    const QString typed = QFileInfo(path).suffix();
    if (typed.isEmpty())
        return std::nullopt;
    for (const QString &filter : filters) {
        if (extensionsOfFilter(filter).contains(typed, Qt::CaseInsensitive))
            return typeOfFilter(filter);
    }
    return std::nullopt;
}

} // namespace

// The file to write and its type. An extension typed by the operator that
// belongs to one of the dialog's types decides ("ergebnis.html" is a web page
// whatever the chosen entry); without one the chosen entry's extension is
// appended.
std::pair<QString, FileType> savedFile(QString path, const QStringList &filters, int filterIndex)
{
    if (const std::optional<FileType> typed = typeOfExtension(path, filters))
        return {path, *typed};
    const QString chosen = filters.value(filterIndex - 1);
    const QStringList extensions = extensionsOfFilter(chosen);
    if (!extensions.isEmpty())
        path += u'.' + extensions.first();
    return {path, typeOfFilter(chosen)};
}

FileType openedFileType(const QString &path, const QStringList &filters, int filterIndex)
{
    return typeOfExtension(path, filters).value_or(typeOfFilter(filters.value(filterIndex - 1)));
}

} // namespace vex
