// File commands of the main window: the protocol text file and start lists,
// the web page, printing and clearing the results.
#include "app/formmain.h"

#include "app/desktopshell.h"
#include "app/filechooser.h"
#include "display/timedisplay.h"
#include "reports/htmlreport.h"
#include "reports/officereports.h"
#include "reports/protocolfile.h"
#include "results/rowtotal.h"
#include "widgets/sortgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const QString kTextLabel = u"Textdatei"_s;
const QString kWebLabel = u"Webseite"_s;
const QString kWordLabel = u"MS Word"_s;
const QString kExcelLabel = u"MS Excel"_s;

enum class FileType { Text, Excel, Word, Web, Unknown };

FileType typeOfFilter(const QString &filter)
{
    if (filter.endsWith(u"(*.txt)"_s))
        return FileType::Text;
    if (filter.endsWith(u"(*.xlsx *.xls)"_s) || filter.endsWith(u"(*.xlsx)"_s))
        return FileType::Excel;
    if (filter.endsWith(u"(*.doc)"_s))
        return FileType::Word;
    if (filter.endsWith(u"(*.html)"_s))
        return FileType::Web;
    return FileType::Unknown;
}

// The file dialogs leave the working folder where the operator confirmed a
// file, so the web page of the view and print buttons lands beside it.
void followChosenFolder(const QString &path)
{
    QDir::setCurrent(QFileInfo(path).absolutePath());
}

bool pageHoldsData(const ResultPage &page)
{
    return page.rows() >= 2 && !page.cell(1, ColStNr).isEmpty();
}

// Loading replaces all ten pages, so it must ask whenever any of them would
// lose drivers, not only the page in front.
bool competitionHoldsData(const Competition &competition)
{
    for (int k = 0; k < Competition::pageCount(); ++k) {
        if (pageHoldsData(*competition.page(k)))
            return true;
    }
    return false;
}

// The writers walk the class list, which only a load with class headings
// fills. Drivers typed into the first page by hand, or loaded from a list
// without headings, would be left out of every file; for the time of a write
// that page stands in as a class under its own caption. The class selector
// never sees the stand-in.
class FirstPageAsClass
{
public:
    explicit FirstPageAsClass(Competition &competition)
        : m_competition(competition)
        , m_standIn(competition.classes().isEmpty() && pageHoldsData(*competition.page(0)))
    {
        if (m_standIn) {
            const QSignalBlocker quiet(&m_competition);
            m_competition.setClasses({m_competition.page(0)->caption()});
        }
    }
    ~FirstPageAsClass()
    {
        if (m_standIn) {
            const QSignalBlocker quiet(&m_competition);
            m_competition.setClasses({});
        }
    }
    FirstPageAsClass(const FirstPageAsClass &) = delete;
    FirstPageAsClass &operator=(const FirstPageAsClass &) = delete;

private:
    Competition &m_competition;
    const bool m_standIn;
};

} // namespace

// Workbooks are read in both formats but written only as Office Open XML,
// which spreadsheet programs would distrust under an .xls name.
QStringList TFormMain::openFilters() const
{
    QStringList filters{kTextLabel + u" (*.txt)"_s};
    if (m_services.office->spreadsheetAvailable())
        filters.append(kExcelLabel + u" (*.xlsx *.xls)"_s);
    return filters;
}

QStringList TFormMain::saveFilters() const
{
    QStringList filters{kTextLabel + u" (*.txt)"_s};
    if (m_services.office->spreadsheetAvailable())
        filters.append(kExcelLabel + u" (*.xlsx)"_s);
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
    request.filterIndex = m_settings.FilterInd;
    const std::optional<FileChoice> choice = m_services.files->chooseSave(this, request);
    if (!choice)
        return;
    m_settings.FilterInd = choice->filterIndex;
    m_saveFileName = choice->path;
    m_saveFolder = QFileInfo(choice->path).absolutePath();
    m_openFolder = m_saveFolder;
    followChosenFolder(choice->path);
    QApplication::processEvents();

    const QString filter = request.filters.value(choice->filterIndex - 1);
    const FirstPageAsClass standIn(*m_competition);
    std::optional<QString> error;
    switch (typeOfFilter(filter)) {
    case FileType::Text:
        WriteProtocolText(choice->path);
        return;
    case FileType::Web:
        WriteHtmlReport(choice->path);
        return;
    case FileType::Excel:
        error = m_services.office->ExportExcelProtocol(*m_competition, choice->path);
        break;
    case FileType::Word:
        error = m_services.office->WriteWordReport(*m_competition, 1, choice->path);
        break;
    case FileType::Unknown:
        return;
    }
    if (error)
        showError(*error);
}

void TFormMain::sbLoadClick()
{
    if (competitionHoldsData(*m_competition) && !AskYesNo(u"Protokoll überschreiben?"_s))
        return;
    FileDialogRequest request;
    request.caption = u"Öffnen"_s;
    request.folder = m_openFolder;
    request.fileName = m_openFileName;
    request.filters = openFilters();
    request.filterIndex = m_settings.FilterIndO;
    request.defaultSuffix = u"txt"_s;
    const std::optional<FileChoice> choice = m_services.files->chooseOpen(this, request);
    if (choice) {
        m_settings.FilterIndO = choice->filterIndex;
        m_openFileName = choice->path;
        m_openFolder = QFileInfo(choice->path).absolutePath();
        followChosenFolder(choice->path);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        activeGrid()->repaint();
        cmb_Klasse->setToolTip(QString());
        const FileType type = typeOfFilter(request.filters.value(choice->filterIndex - 1));
        if (type == FileType::Text) {
            ReadProtocolText(choice->path);
        } else if (type == FileType::Excel) {
            if (const std::optional<QString> error = m_services.office->ImportExcelStartList(*m_competition, choice->path))
                showError(*error);
        }
        QApplication::restoreOverrideCursor();
    }
    FormResize();
}

void TFormMain::WriteProtocolText(const QString &path)
{
    const FirstPageAsClass standIn(*m_competition);
    if (const std::optional<QString> error = vex::WriteProtocolText(*m_competition, path))
        showError(*error);
}

void TFormMain::ReadProtocolText(const QString &path)
{
    const ProtocolReadResult result = vex::ReadProtocolText(*m_competition, path);
    if (!result.opened) {
        // Page 1 was reset already; the selectors must not offer its old
        // drivers, and the operator learns why it is empty.
        cmb_KlasseChange();
        UpdateFileButtons();
        showError(result.error);
        return;
    }
    fillClassSelector();
    cmb_Klasse->setToolTip(path);
    if (cmb_Klasse->count() > 0) {
        cmb_Klasse->setCurrentIndex(0);
    } else {
        PageControl1->setCurrentIndex(0);
    }
    cmb_KlasseChange();
    if (cmb_Nr->count() > 0) {
        cmb_Nr->setCurrentIndex(0);
        cmb_NrChange();
    }
    activeGrid()->setTypeAheadColumn(ColName);
    UpdateFileButtons();
    if (!result.complete && !result.error.isEmpty())
        showError(result.error);
    if (!result.skippedClasses.isEmpty())
        showError(u"Die Datei enthält mehr als zehn Klassen. Nicht geladen wurden: "_s
                  + result.skippedClasses.join(u", "_s));
}

// After a load the class selector is a pick-only list of the classes.
void TFormMain::fillClassSelector()
{
    const QStringList &classes = m_competition->classes();
    const QSignalBlocker block(cmb_Klasse);
    cmb_Klasse->clear();
    if (!classes.isEmpty()) {
        cmb_Klasse->setEditable(false);
        cmb_Klasse->addItems(classes);
    }
    cmb_Klasse->setCurrentIndex(-1);
}

void TFormMain::WriteHtmlReport(const QString &path)
{
    HtmlReportInfo info;
    info.title = m_settings.Title;
    info.title2 = m_settings.Title2;
    info.appTitle = m_services.identity.title;
    info.columnWidthPercent = m_widthPercent.shares();
    info.clubShown = m_grids[0]->columnWidths().value(ColClub, 0) >= 0 && m_widthPercent.share(ColClub) > 0;
    const FirstPageAsClass standIn(*m_competition);
    if (const std::optional<QString> error = vex::WriteHtmlReport(*m_competition, info, path))
        showError(*error);
}

// Show (tag 0) or print (tag 1) the protocol as a web page. The page lands in
// the working folder under the program's name.
void TFormMain::sbInetClick(int tag)
{
    const QString path = m_services.identity.title + u".html"_s;
    WriteHtmlReport(path);
    if (!QFileInfo(path).isFile())
        return;
    if (tag == 0)
        m_services.shell->openDocument(path);
    else if (tag == 1)
        m_services.shell->printDocument(path, this);
}

void TFormMain::sbCLSClick()
{
    if (!AskYesNo(u"Ergebnisse löschen?"_s))
        return;
    clearResults(*activePage());
    m_bestTime = 0;
    lbl_Club2->clear();
    ShowTime(1, 0);
    RankActivePage();
    updateTimeError();
}

} // namespace vex
