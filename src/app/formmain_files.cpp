// File commands of the main window: the dialogs and the cursor; the race
// reads and writes the files.
#include "app/formmain.h"

#include "app/desktopshell.h"
#include "app/filechooser.h"
#include "reports/officereports.h"
#include "widgets/sortgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const QString kTextLabel = u"Textdatei"_s;
const QString kWebLabel = u"Webseite"_s;
const QString kWordLabel = u"MS Word"_s;
const QString kExcelLabel = u"MS Excel"_s;

enum class FileType { Text, Excel, Word, Web, Unknown };

// The extension of a filter entry "Label (*.ext)", without the dot.
QString extensionOfFilter(const QString &filter)
{
    const qsizetype open = filter.lastIndexOf(u"(*."_s);
    if (open < 0 || !filter.endsWith(u')'))
        return {};
    return filter.sliced(open + 3, filter.size() - open - 4);
}

FileType typeOfFilter(const QString &filter)
{
    const QString extension = extensionOfFilter(filter);
    if (extension == u"txt")
        return FileType::Text;
    if (extension == u"xls")
        return FileType::Excel;
    if (extension == u"doc")
        return FileType::Word;
    if (extension == u"html")
        return FileType::Web;
    return FileType::Unknown;
}

// The file to write and its type. An extension typed by the operator that
// belongs to one of the dialog's types decides ("ergebnis.html" is a web page
// whatever the chosen entry); without one the chosen entry's extension is
// appended.
std::pair<QString, FileType> savedFile(QString path, const QStringList &filters, int filterIndex)
{
    const QString typed = QFileInfo(path).suffix();
    for (const QString &filter : filters) {
        if (!typed.isEmpty() && typed.compare(extensionOfFilter(filter), Qt::CaseInsensitive) == 0)
            return {path, typeOfFilter(filter)};
    }
    const QString chosen = filters.value(filterIndex - 1);
    const QString extension = extensionOfFilter(chosen);
    if (!extension.isEmpty())
        path += u'.' + extension;
    return {path, typeOfFilter(chosen)};
}

} // namespace

QStringList TFormMain::openFilters() const
{
    QStringList filters{kTextLabel + u" (*.txt)"_s};
    if (m_services.office->spreadsheetAvailable())
        filters.append(kExcelLabel + u" (*.xls)"_s);
    return filters;
}

QStringList TFormMain::saveFilters() const
{
    QStringList filters = openFilters();
    filters.append(kWordLabel + u" (*.doc)"_s);
    filters.append(kWebLabel + u" (*.html)"_s);
    return filters;
}

void TFormMain::sbSaveClick()
{
    FileDialogRequest request;
    request.caption = u"Speichern unter"_s;
    request.folder = m_saveFolder;
    request.fileName = m_saveFileName;
    request.filters = saveFilters();
    request.filterIndex = m_race->settings().FilterInd;
    const std::optional<FileChoice> choice = m_services.files->chooseSave(this, request);
    if (!choice)
        return;
    m_race->setFileFilters(choice->filterIndex, m_race->settings().FilterIndO);
    const auto [chosenPath, type] = savedFile(choice->path, request.filters, choice->filterIndex);
    const QString path = QFileInfo(chosenPath).absoluteFilePath();
    m_saveFileName = path;
    m_saveFolder = QFileInfo(path).absolutePath();
    m_openFolder = m_saveFolder;
    // The web page of the view and print buttons lands beside the last file.
    m_pageFolder = m_saveFolder;

    OfficeReports *office = m_services.office;
    std::optional<QString> error;
    switch (type) {
    case FileType::Text:
        error = m_race->save(path);
        break;
    case FileType::Web:
        error = m_race->writeHtml(path, m_services.identity.title);
        break;
    case FileType::Excel:
        error = m_race->exportWith([&](const Competition &c) { return office->ExportExcelProtocol(c, path); });
        break;
    case FileType::Word:
        error = m_race->exportWith([&](const Competition &c) { return office->WriteWordReport(c, 1, path); });
        break;
    case FileType::Unknown:
        break;
    }
    if (error)
        showError(*error);
}

void TFormMain::sbLoadClick()
{
    // Loading replaces all ten pages: it asks whenever any of them would
    // lose drivers, not only the page in front.
    if (m_race->anyPageHoldsData() && !AskYesNo(u"Protokoll überschreiben?"_s))
        return;
    FileDialogRequest request;
    request.caption = u"Öffnen"_s;
    request.folder = m_openFolder;
    request.fileName = m_openFileName;
    request.filters = openFilters();
    request.filterIndex = m_race->settings().FilterIndO;
    request.defaultSuffix = u"txt"_s;
    const std::optional<FileChoice> choice = m_services.files->chooseOpen(this, request);
    if (choice) {
        m_race->setFileFilters(m_race->settings().FilterInd, choice->filterIndex);
        const QString path = QFileInfo(choice->path).absoluteFilePath();
        m_openFileName = path;
        m_openFolder = QFileInfo(path).absolutePath();
        m_pageFolder = m_openFolder;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_ui.cmb_Klasse->setToolTip(QString());
        const FileType type = typeOfFilter(request.filters.value(choice->filterIndex - 1));
        QStringList messages;
        if (type == FileType::Text) {
            const RaceLoadResult result = m_race->load(path);
            messages = result.messages;
            if (result.opened) {
                m_ui.cmb_Klasse->setToolTip(m_race->loadedPath());
                activeGrid()->setTypeAheadColumn(ColName);
            }
        } else if (type == FileType::Excel) {
            OfficeReports *office = m_services.office;
            if (const auto error = m_race->importWith([&](Competition &c) { return office->ImportExcelStartList(c, path); }))
                messages.append(*error);
        }
        QApplication::restoreOverrideCursor();
        for (const QString &message : std::as_const(messages))
            showError(message);
    }
    FormResize();
}

// Show (tag 0) or print (tag 1) the protocol as a web page. The page lands
// under the program's name in the folder of the last file chosen.
void TFormMain::sbInetClick(int tag)
{
    const QString path = QDir(m_pageFolder).absoluteFilePath(m_services.identity.title + u".html"_s);
    if (const std::optional<QString> error = m_race->writeHtml(path, m_services.identity.title))
        showError(*error);
    if (!QFileInfo(path).isFile())
        return;
    if (tag == 0) {
        m_services.shell->openDocument(path);
    } else if (tag == 1) {
        if (const std::optional<QString> error = m_services.shell->printDocument(path, this))
            showError(*error);
    }
}

} // namespace vex
