// File commands of the main window: the dialogs and the cursor; the race
// reads and writes the files.
#include "app/formmain.h"

#include "app/desktopshell.h"
#include "app/filechooser.h"
#include "app/filefilters.h"
#include "files/racefiles.h"
#include "timing/timetext.h"
#include "widgets/resultgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDate>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace vex {

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() || !QFileInfo(documents).isDir() ? QDir::homePath() : documents;
}

// The event's title and the day, as a file name any system takes.
QString firstSaveName(const QString &title, const QDate &day)
{
    QString name;
    for (const QChar c : title.trimmed()) {
        static const QString forbidden = u"\\/:*?\"<>|"_s;
        name.append(c.isPrint() && !forbidden.contains(c) ? c : u'_');
    }
    name = name.left(80).trimmed();
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(u"Protokoll"_s);
    return name + u' ' + day.toString(u"yyyy-MM-dd"_s);
}

void TFormMain::sbSaveClick()
{
    FileDialogRequest request;
    request.caption = u"Speichern unter"_s;
    request.folder = m_saveFolder;
    request.fileName = m_saveFileName.isEmpty() ? firstSaveName(m_race->settings().Title, QDate::currentDate())
                                                : m_saveFileName;
    request.filters = saveFilters(m_files->spreadsheetAvailable());
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

    std::optional<QString> error;
    switch (type) {
    case FileType::Text:
        error = m_files->save(path);
        break;
    case FileType::Web:
        error = m_files->writeHtml(path, m_services.identity.title);
        if (!error)
            m_files->noteSaved(path);
        break;
    case FileType::Excel:
        error = m_files->exportWorkbook(path);
        break;
    case FileType::Word:
        QApplication::setOverrideCursor(Qt::WaitCursor);
        error = m_files->writeWordReport(1, path);
        QApplication::restoreOverrideCursor();
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
    request.filters = openFilters(m_files->spreadsheetAvailable());
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
        const FileType type = openedFileType(path, request.filters, choice->filterIndex);
        // A workbook's start list ends like a text file's.
        std::optional<RaceLoadResult> result;
        if (type == FileType::Text)
            result = m_files->load(path);
        else if (type == FileType::Excel)
            result = m_files->importWorkbook(path);
        QStringList messages;
        if (result)
            messages = showLoaded(*result);
        QApplication::restoreOverrideCursor();
        for (const QString &message : std::as_const(messages))
            showError(message);
    }
    FormResize();
}

QStringList TFormMain::showLoaded(const RaceLoadResult &result)
{
    // The class selector names the file loaded; after a refused file still
    // the one before.
    m_ui.cmb_Klasse->setToolTip(m_files->loadedPath());
    if (result.opened)
        activeGrid()->setTypeAheadColumn(ColName);
    return result.messages;
}

void TFormMain::openProtocolText(const QString &path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList messages = showLoaded(m_files->load(path));
    QApplication::restoreOverrideCursor();
    for (const QString &message : messages)
        showError(message);
    FormResize();
}

// Show (tag 0) or print (tag 1) the protocol as a web page. The page lands
// under the program's name in the folder of the last file chosen.
void TFormMain::sbInetClick(int tag)
{
    const QString path = QDir(m_pageFolder).absoluteFilePath(m_services.identity.title + u".html"_s);
    if (const std::optional<QString> error = m_files->writeHtml(path, m_services.identity.title))
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

// The protocol in a new workbook of the spreadsheet program, not saved.
void TFormMain::sbExcelClick()
{
    if (const std::optional<QString> error = m_files->exportWorkbook(QString()))
        showError(*error);
}

// The protocol in the word processor, saved under the date stamp where the
// web page goes: the folder of the last file chosen, at first the working
// folder.
void TFormMain::sbWordClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> error =
        m_files->writeWordReport(0, QDir(m_pageFolder).absoluteFilePath(FileDateStamp() + u".doc"_s));
    QApplication::restoreOverrideCursor();
    if (error)
        showError(*error);
}

} // namespace vex
