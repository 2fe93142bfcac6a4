#include "app/seasonwindow.h"

#include "app/desktopshell.h"
#include "app/filechooser.h"
#include "season/seasonreport.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

const QString kWindowTitle = u"Meisterschaft"_s;
const QString kSeasonFilter = u"Meisterschaft (*.vxm)"_s;
const QString kEventFilter = u"Protokolle und Arbeitsmappen (*.txt *.xlsx *.xls);;Alle Dateien (*)"_s;
constexpr int kTeamsEntry = -1;

enum EventColumn { EvNumber, EvDate, EvName, EvFile, EvState, EvColumns };

QString eventState(const EventRead &read)
{
    if (!read.results)
        return read.error;
    int drivers = 0;
    for (const EventClass &c : read.results->classes)
        drivers += int(c.entries.size());
    return u"%1 Klassen, %2 Fahrer"_s.arg(read.results->classes.size()).arg(drivers);
}

QTableWidgetItem *readOnlyItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

SeasonWindow::MergeAnswer askMergeInMessageBox(QWidget *parent, const MergeProposal &p)
{
    QMessageBox box(QMessageBox::Question, kWindowTitle,
                    u"Sind „%1“ und „%2“ derselbe Fahrer?\n\nJa: die Ergebnisse von „%1“ zählen für „%2“.\n"
                    u"Nein: beide bleiben getrennt, die Frage kommt nicht wieder."_s
                        .arg(driverLabel(p.from), driverLabel(p.into)),
                    QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(u"Ja"_s, QMessageBox::YesRole);
    QPushButton *no = box.addButton(u"Nein"_s, QMessageBox::NoRole);
    box.addButton(u"Später"_s, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.exec();
    if (box.clickedButton() == yes)
        return SeasonWindow::MergeAnswer::Merge;
    if (box.clickedButton() == no)
        return SeasonWindow::MergeAnswer::KeepApart;
    return SeasonWindow::MergeAnswer::Later;
}

SeasonWindow::SeasonWindow(FileChooser *files, DesktopShell *shell, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_files(files)
    , m_shell(shell)
    , m_question(askMergeInMessageBox)
{
    if (!m_files) {
        m_ownFiles = std::make_unique<DialogFileChooser>();
        m_files = m_ownFiles.get();
    }
    if (!m_shell) {
        m_ownShell = std::make_unique<SystemDesktopShell>();
        m_shell = m_ownShell.get();
    }
    setObjectName(u"SeasonWindow"_s);
    setWindowTitle(kWindowTitle);
    m_season.title = u"Meisterschaft %1"_s.arg(QDate::currentDate().year());
    buildUi();
    rulesToUi();
    evaluate();
    resize(1100, 720);
}

SeasonWindow::~SeasonWindow() = default;

void SeasonWindow::buildUi()
{
    auto *top = new QVBoxLayout(this);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(u"Titel:"_s));
    m_title = new QLineEdit;
    m_title->setObjectName(u"seasonTitle"_s);
    fileRow->addWidget(m_title, 1);
    const auto button = [this](QBoxLayout *row, const QString &name, const QString &caption, auto slot) {
        auto *b = new QPushButton(caption);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        row->addWidget(b);
        return b;
    };
    button(fileRow, u"bNew"_s, u"Neu"_s, &SeasonWindow::onNew);
    button(fileRow, u"bOpen"_s, u"Öffnen…"_s, &SeasonWindow::onOpen);
    button(fileRow, u"bSave"_s, u"Speichern"_s, [this] { onSave(false); });
    button(fileRow, u"bSaveAs"_s, u"Speichern unter…"_s, [this] { onSave(true); });
    top->addLayout(fileRow);
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString &t) {
        m_season.title = t;
        m_report.title = t;
        changed();
    });

    auto *upper = new QHBoxLayout;
    auto *eventsBox = new QGroupBox(u"Veranstaltungen"_s);
    auto *eventsLayout = new QVBoxLayout(eventsBox);
    m_events = new QTableWidget(0, EvColumns);
    m_events->setObjectName(u"seasonEvents"_s);
    m_events->setHorizontalHeaderLabels({u"Nr."_s, u"Datum"_s, u"Name"_s, u"Datei"_s, u"Stand"_s});
    m_events->verticalHeader()->hide();
    m_events->horizontalHeader()->setStretchLastSection(true);
    m_events->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(m_events, &QTableWidget::cellChanged, this, &SeasonWindow::onEventEdited);
    eventsLayout->addWidget(m_events);
    auto *eventButtons = new QHBoxLayout;
    button(eventButtons, u"bAddEvent"_s, u"Veranstaltung hinzufügen…"_s, &SeasonWindow::onAdd);
    button(eventButtons, u"bRemoveEvent"_s, u"Entfernen"_s, &SeasonWindow::onRemove);
    button(eventButtons, u"bReload"_s, u"Neu einlesen"_s, &SeasonWindow::onReload);
    eventButtons->addStretch();
    eventsLayout->addLayout(eventButtons);
    m_leftOut = new QLabel;
    m_leftOut->setObjectName(u"seasonLeftOut"_s);
    m_leftOut->setWordWrap(true);
    m_leftOut->setStyleSheet(u"color: #b00000"_s);
    eventsLayout->addWidget(m_leftOut);
    upper->addWidget(eventsBox, 3);

    auto *rulesBox = new QGroupBox(u"Wertung"_s);
    auto *form = new QFormLayout(rulesBox);
    m_points = new QLineEdit;
    m_points->setObjectName(u"seasonPoints"_s);
    m_pointsError = new QLabel;
    m_pointsError->setStyleSheet(u"color: #b00000"_s);
    form->addRow(u"Punkte je Platz:"_s, m_points);
    form->addRow(QString(), m_pointsError);
    const auto spin = [](int low, int high, const QString &name) {
        auto *s = new QSpinBox;
        s->setRange(low, high);
        s->setObjectName(name);
        return s;
    };
    m_counting = new QComboBox;
    m_counting->setObjectName(u"seasonCounting"_s);
    m_counting->addItems({u"alle Ergebnisse"_s, u"die besten"_s, u"Prozent der Veranstaltungen"_s});
    m_countValue = spin(1, 100, u"seasonCountValue"_s);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_counting, 1);
    countRow->addWidget(m_countValue);
    form->addRow(u"Es zählen:"_s, countRow);
    m_minStarts = spin(0, 100, u"seasonMinStarts"_s);
    form->addRow(u"Mindestens Starts:"_s, m_minStarts);
    m_qualification = new QComboBox;
    m_qualification->setObjectName(u"seasonQualification"_s);
    m_qualification->addItems({u"keine"_s, u"die ersten"_s, u"Prozent der Klasse (aufgerundet)"_s});
    m_qualifyValue = spin(1, 1000, u"seasonQualifyValue"_s);
    auto *qualifyRow = new QHBoxLayout;
    qualifyRow->addWidget(m_qualification, 1);
    qualifyRow->addWidget(m_qualifyValue);
    form->addRow(u"Qualifikation:"_s, qualifyRow);
    m_teamDrivers = spin(1, 100, u"seasonTeamDrivers"_s);
    form->addRow(u"Mannschaft, beste Fahrer:"_s, m_teamDrivers);
    upper->addWidget(rulesBox, 2);
    top->addLayout(upper);

    connect(m_points, &QLineEdit::editingFinished, this, [this] {
        if (!m_filling)
            rulesFromUi();
    });
    for (QComboBox *c : {m_counting, m_qualification}) {
        connect(c, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_filling)
                rulesFromUi();
        });
    }
    for (QSpinBox *s : {m_countValue, m_minStarts, m_qualifyValue, m_teamDrivers}) {
        connect(s, &QSpinBox::valueChanged, this, [this] {
            if (!m_filling)
                rulesFromUi();
        });
    }

    auto *standingsRow = new QHBoxLayout;
    standingsRow->addWidget(new QLabel(u"Wertung der Klasse:"_s));
    m_class = new QComboBox;
    m_class->setObjectName(u"seasonClass"_s);
    m_class->setMinimumContentsLength(16);
    connect(m_class, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            standingsToUi();
    });
    standingsRow->addWidget(m_class);
    m_proposals = new QPushButton;
    m_proposals->setObjectName(u"bProposals"_s);
    connect(m_proposals, &QPushButton::clicked, this, [this] { askProposals(); });
    standingsRow->addWidget(m_proposals);
    standingsRow->addStretch();
    button(standingsRow, u"bView"_s, u"Als Webseite"_s, &SeasonWindow::onView);
    button(standingsRow, u"bPrint"_s, u"Drucken…"_s, &SeasonWindow::onPrint);
    button(standingsRow, u"bPdf"_s, u"PDF…"_s, &SeasonWindow::onPdf);
    button(standingsRow, u"bWorkbook"_s, u"Arbeitsmappe…"_s, &SeasonWindow::onWorkbook);
    top->addLayout(standingsRow);

    m_rulesLine = new QLabel;
    m_rulesLine->setWordWrap(true);
    top->addWidget(m_rulesLine);
    m_standings = new QTableWidget;
    m_standings->setObjectName(u"seasonStandings"_s);
    m_standings->verticalHeader()->hide();
    m_standings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_standings->setSelectionBehavior(QAbstractItemView::SelectRows);
    top->addWidget(m_standings, 1);
}

void SeasonWindow::rulesToUi()
{
    m_filling = true;
    const SeasonRules &r = m_season.rules;
    m_title->setText(m_season.title);
    m_points->setText(r.points.toText());
    m_points->setCursorPosition(0);
    m_pointsError->clear();
    m_pointsError->hide();
    m_counting->setCurrentIndex(int(r.counting));
    m_countValue->setValue(r.counting == SeasonRules::Counting::Percent ? r.countPercent : r.bestN);
    m_countValue->setEnabled(r.counting != SeasonRules::Counting::All);
    m_countValue->setSuffix(r.counting == SeasonRules::Counting::Percent ? u" %"_s : QString());
    m_minStarts->setValue(r.minStarts);
    m_qualification->setCurrentIndex(int(r.qualification));
    m_qualifyValue->setValue(r.qualification == SeasonRules::Qualification::Percent ? r.qualifyPercent : r.qualifyCount);
    m_qualifyValue->setEnabled(r.qualification != SeasonRules::Qualification::None);
    m_qualifyValue->setSuffix(r.qualification == SeasonRules::Qualification::Percent ? u" %"_s : QString());
    m_teamDrivers->setValue(r.teamDrivers);
    m_filling = false;
}

void SeasonWindow::rulesFromUi()
{
    SeasonRules &r = m_season.rules;
    if (const std::optional<PlacePoints> table = PlacePoints::parse(m_points->text())) {
        r.points = *table;
        m_pointsError->clear();
    } else {
        // The table in use stays until the operator types one that reads.
        m_pointsError->setText(u"Nur Zahlen ab 0, getrennt durch Kommas; es gilt weiter die vorige Tabelle."_s);
        m_pointsError->show();
    }
    const auto counting = SeasonRules::Counting(m_counting->currentIndex());
    // Switching between a number and a share starts from that rule's value.
    if (counting != r.counting) {
        r.counting = counting;
    } else if (counting == SeasonRules::Counting::BestN) {
        r.bestN = m_countValue->value();
    } else if (counting == SeasonRules::Counting::Percent) {
        r.countPercent = std::min(100, m_countValue->value());
    }
    r.minStarts = m_minStarts->value();
    const auto qualification = SeasonRules::Qualification(m_qualification->currentIndex());
    if (qualification != r.qualification) {
        r.qualification = qualification;
    } else if (qualification == SeasonRules::Qualification::Count) {
        r.qualifyCount = m_qualifyValue->value();
    } else if (qualification == SeasonRules::Qualification::Percent) {
        r.qualifyPercent = std::min(100, m_qualifyValue->value());
    }
    r.teamDrivers = m_teamDrivers->value();
    const QString shownPoints = m_points->text();
    const bool pointsBad = !m_pointsError->text().isEmpty();
    rulesToUi();
    if (pointsBad) {
        m_points->setText(shownPoints);
        m_pointsError->setText(u"Nur Zahlen ab 0, getrennt durch Kommas; es gilt weiter die vorige Tabelle."_s);
        m_pointsError->show();
    }
    changed();
}

void SeasonWindow::eventsToUi()
{
    m_filling = true;
    m_events->setRowCount(int(m_season.events.size()));
    for (int i = 0; i < m_events->rowCount(); ++i) {
        const SeasonEvent &e = m_season.events.at(i);
        const EventRead *read = i < m_reads.size() ? &m_reads.at(i) : nullptr;
        m_events->setItem(i, EvNumber, readOnlyItem(QString::number(i + 1)));
        m_events->setItem(i, EvDate, new QTableWidgetItem(e.date.isValid() ? e.date.toString(u"dd.MM.yyyy"_s) : QString()));
        m_events->setItem(i, EvName, new QTableWidgetItem(e.name));
        QTableWidgetItem *file = readOnlyItem(QFileInfo(e.path).fileName());
        file->setToolTip(e.path);
        m_events->setItem(i, EvFile, file);
        QTableWidgetItem *state = readOnlyItem(read ? eventState(*read) : QString());
        if (read && !read->results)
            state->setForeground(QColor(0xb0, 0, 0));
        state->setToolTip(state->text());
        m_events->setItem(i, EvState, state);
    }
    m_events->resizeColumnsToContents();
    m_filling = false;
}

void SeasonWindow::evaluate()
{
    m_report = evaluateSeason(m_season, m_reads);
    eventsToUi();
    m_leftOut->setText(m_report.leftOut.isEmpty() ? QString() : u"Nicht gewertet:\n"_s + m_report.leftOut.join(u'\n'));
    m_leftOut->setVisible(!m_report.leftOut.isEmpty());
    const int open = int(m_report.standings.proposals.size());
    m_proposals->setText(u"Schreibweisen prüfen (%1)…"_s.arg(open));
    m_proposals->setEnabled(open > 0);

    const QString chosen = m_class->currentText();
    m_filling = true;
    m_class->clear();
    for (qsizetype i = 0; i < m_report.standings.classes.size(); ++i)
        m_class->addItem(m_report.standings.classes.at(i).name, int(i));
    if (!m_report.standings.teams.rows.isEmpty())
        m_class->addItem(u"Mannschaften"_s, kTeamsEntry);
    const int again = m_class->findText(chosen);
    m_class->setCurrentIndex(again >= 0 ? again : 0);
    m_filling = false;
    standingsToUi();
    Q_EMIT reportChanged();
}

void SeasonWindow::standingsToUi()
{
    m_rulesLine->setText(rulesSummary(m_report.rules, int(m_report.events.size())) + u" · in Klammern: Streichergebnis"_s);
    const int entry = m_class->currentData().isValid() ? m_class->currentData().toInt() : -2;
    const bool teams = entry == kTeamsEntry;
    const ClassStandings *cs = teams ? &m_report.standings.teams
        : entry >= 0 && entry < m_report.standings.classes.size() ? &m_report.standings.classes.at(entry)
                                                                 : nullptr;
    const QStringList headers = standingsHeaders(m_report, teams);
    m_standings->clear();
    m_standings->clearSpans();
    m_standings->setColumnCount(int(headers.size()));
    m_standings->setHorizontalHeaderLabels(headers);
    const int rows = cs ? int(cs->rows.size()) : 0;
    // The qualification line is a row of its own under the last qualified driver.
    const int lineAfter = cs && !teams ? cs->qualified : 0;
    m_standings->setRowCount(rows + (lineAfter > 0 ? 1 : 0));
    const QColor qualifiedBack(0xe3, 0xf4, 0xe3);
    for (int i = 0; i < rows; ++i) {
        const StandingRow &r = cs->rows.at(i);
        const int tableRow = lineAfter > 0 && i >= lineAfter ? i + 1 : i;
        QStringList cells{r.place > 0 ? QString::number(r.place) + u'.' : QString(),
                          r.driver.birthYear ? r.driver.name + u" ("_s + QString::number(r.driver.birthYear) + u')'
                                             : r.driver.name};
        if (!teams)
            cells.append(r.driver.club);
        const int firstEvent = int(cells.size());
        for (qsizetype e = 0; e < m_report.events.size(); ++e)
            cells.append(scoreText(r.events.value(e)));
        cells.append(QString::number(r.sum));
        cells.append(QString::number(r.starts));
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells.at(c));
            if (c != 1 && c != 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (teams && c == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            const int e = c - firstEvent;
            if (e >= 0 && e < m_report.events.size()) {
                const std::optional<EventScore> &s = r.events.value(e);
                if (s && s->struck) {
                    QFont f = item->font();
                    f.setStrikeOut(true);
                    item->setFont(f);
                    item->setForeground(QColor(0x80, 0x80, 0x80));
                }
                if (s && s->place > 0)
                    item->setToolTip(u"%1. Platz"_s.arg(s->place));
            }
            if (r.qualified)
                item->setBackground(qualifiedBack);
            m_standings->setItem(tableRow, c, item);
        }
    }
    // Sized before the line is put in, which would widen the first column.
    m_standings->resizeColumnsToContents();
    if (lineAfter > 0) {
        auto *line = new QTableWidgetItem(qualificationLineText(*cs));
        line->setTextAlignment(Qt::AlignCenter);
        line->setForeground(QColor(0xb0, 0, 0));
        line->setBackground(QColor(0xfd, 0xe2, 0xe2));
        QFont bold = line->font();
        bold.setBold(true);
        line->setFont(bold);
        m_standings->setItem(lineAfter, 0, line);
        m_standings->setSpan(lineAfter, 0, 1, int(headers.size()));
        // The name column takes what the line needs beyond the table's width.
        int width = 0;
        for (int c = 0; c < m_standings->columnCount(); ++c)
            width += m_standings->columnWidth(c);
        const int needed = QFontMetrics(bold).horizontalAdvance(line->text()) + 24;
        if (needed > width)
            m_standings->setColumnWidth(1, m_standings->columnWidth(1) + needed - width);
    }
    m_standings->resizeRowsToContents();
}

void SeasonWindow::changed()
{
    m_dirty = true;
    evaluate();
    // Once the season has a file, the file follows every change, so that
    // quitting the program never loses a rule or an answer given.
    if (m_path.isEmpty())
        return;
    const std::optional<QString> error = writeSeasonFile(m_season, m_path);
    if (error && !m_saveFailed)
        showMessage(*error);
    m_saveFailed = error.has_value();
    m_dirty = m_saveFailed;
}

void SeasonWindow::showMessage(const QString &text)
{
    QMessageBox::warning(this, kWindowTitle, text);
}

QString SeasonWindow::chooseSaveFile(const QString &caption, const QString &filter, const QString &suffix)
{
    FileDialogRequest request;
    request.caption = caption;
    request.folder = m_path.isEmpty() ? QDir::homePath() : QFileInfo(m_path).absolutePath();
    request.fileName = m_season.title;
    request.filters = {filter};
    request.defaultSuffix = suffix;
    const std::optional<FileChoice> choice = m_files->chooseSave(this, request);
    return choice ? choice->path : QString();
}

bool SeasonWindow::openSeason(const QString &path)
{
    QString error;
    std::optional<SeasonDefinition> season = readSeasonFile(path, &error);
    if (!season) {
        showMessage(error);
        return false;
    }
    m_season = std::move(*season);
    m_path = QFileInfo(path).absoluteFilePath();
    m_reads = readSeasonEvents(m_season.events);
    m_dirty = false;
    rulesToUi();
    evaluate();
    return true;
}

bool SeasonWindow::addEvent(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const SeasonEvent &e : std::as_const(m_season.events)) {
        if (QFileInfo(e.path) == QFileInfo(absolute)) {
            showMessage(u"„%1“ gehört schon zur Meisterschaft."_s.arg(QFileInfo(path).fileName()));
            return false;
        }
    }
    const QFileInfo info(absolute);
    // A protocol carries no date: the day it was last saved is the best guess
    // until the operator corrects it.
    m_season.events.append({absolute, info.completeBaseName(), info.lastModified().date()});
    m_reads.append(readEventFile(absolute));
    changed();
    if (!m_reads.last().results)
        showMessage(m_reads.last().error);
    return true;
}

bool SeasonWindow::saveSeason(const QString &path)
{
    if (const std::optional<QString> error = writeSeasonFile(m_season, path)) {
        showMessage(*error);
        return false;
    }
    m_path = QFileInfo(path).absoluteFilePath();
    m_dirty = false;
    m_saveFailed = false;
    return true;
}

int SeasonWindow::askProposals()
{
    int merged = 0;
    bool answered = false;
    const QList<MergeProposal> proposals = m_report.standings.proposals;
    for (const MergeProposal &p : proposals) {
        switch (m_question(this, p)) {
        case MergeAnswer::Merge:
            m_season.merges.append({p.from, p.into});
            ++merged;
            answered = true;
            break;
        case MergeAnswer::KeepApart:
            m_season.declined.append({p.from, p.into});
            answered = true;
            break;
        case MergeAnswer::Later:
            break;
        }
    }
    if (answered)
        changed();
    return merged;
}

void SeasonWindow::closeEvent(QCloseEvent *event)
{
    if (m_dirty && !m_season.events.isEmpty()) {
        const auto answer = QMessageBox::question(this, kWindowTitle, u"Die Meisterschaft speichern?"_s,
                                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) {
            event->ignore();
            return;
        }
        if (answer == QMessageBox::Yes) {
            onSave(false);
            if (m_dirty) {
                event->ignore();
                return;
            }
        }
        m_dirty = false;
    }
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

void SeasonWindow::onNew()
{
    if (m_dirty && !m_season.events.isEmpty()
        && QMessageBox::question(this, kWindowTitle, u"Die Änderungen an der Meisterschaft verwerfen?"_s)
               != QMessageBox::Yes)
        return;
    m_season = SeasonDefinition{};
    m_season.title = u"Meisterschaft %1"_s.arg(QDate::currentDate().year());
    m_reads.clear();
    m_path.clear();
    m_dirty = false;
    rulesToUi();
    evaluate();
}

void SeasonWindow::onOpen()
{
    FileDialogRequest request;
    request.caption = u"Meisterschaft öffnen"_s;
    request.folder = m_path.isEmpty() ? QDir::homePath() : QFileInfo(m_path).absolutePath();
    request.filters = {kSeasonFilter};
    if (const std::optional<FileChoice> choice = m_files->chooseOpen(this, request))
        openSeason(choice->path);
}

void SeasonWindow::onSave(bool choosePath)
{
    QString path = m_path;
    if (choosePath || path.isEmpty())
        path = chooseSaveFile(u"Meisterschaft speichern"_s, kSeasonFilter, kSeasonSuffix);
    if (!path.isEmpty())
        saveSeason(path);
}

void SeasonWindow::onAdd()
{
    FileDialogRequest request;
    request.caption = u"Veranstaltung hinzufügen"_s;
    request.folder = !m_season.events.isEmpty() ? QFileInfo(m_season.events.last().path).absolutePath()
        : m_path.isEmpty()                      ? QDir::homePath()
                                                : QFileInfo(m_path).absolutePath();
    request.filters = kEventFilter.split(u";;"_s);
    const std::optional<FileChoice> choice = m_files->chooseOpen(this, request);
    if (choice && addEvent(choice->path) && !m_report.standings.proposals.isEmpty())
        askProposals();
}

void SeasonWindow::onRemove()
{
    const int row = m_events->currentRow();
    if (row < 0 || row >= m_season.events.size())
        return;
    m_season.events.removeAt(row);
    if (row < m_reads.size())
        m_reads.removeAt(row);
    changed();
}

void SeasonWindow::onReload()
{
    m_reads = readSeasonEvents(m_season.events);
    evaluate();
}

void SeasonWindow::onEventEdited(int row, int column)
{
    if (m_filling || row < 0 || row >= m_season.events.size())
        return;
    SeasonEvent &e = m_season.events[row];
    const QString text = m_events->item(row, column)->text().trimmed();
    if (column == EvName) {
        e.name = text;
    } else if (column == EvDate) {
        const QDate date = QDate::fromString(text, u"d.M.yyyy"_s);
        if (!date.isValid() && !text.isEmpty()) {
            showMessage(u"„%1“ ist kein Datum; bitte als TT.MM.JJJJ eingeben."_s.arg(text));
            eventsToUi(); // the date that stands
            return;
        }
        e.date = date;
    } else {
        return;
    }
    changed();
}

void SeasonWindow::onView()
{
    const QString path = QDir::temp().filePath(u"Vexilor-Meisterschaft.html"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(buildSeasonHtml(m_report)) < 0) {
        showMessage(u"Der Schreibfehler der Datei: "_s + path);
        return;
    }
    file.close();
    m_shell->openDocument(path);
}

void SeasonWindow::onPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(buildSeasonHtml(m_report)));
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error)
        showMessage(u"Die Wertung konnte nicht gedruckt werden. Der Drucker meldet einen Fehler: "_s + printer.printerName());
}

void SeasonWindow::onPdf()
{
    const QString path = chooseSaveFile(u"Wertung als PDF speichern"_s, u"PDF (*.pdf)"_s, u"pdf"_s);
    if (path.isEmpty())
        return;
    if (const std::optional<QString> error = writeSeasonPdf(m_report, path))
        showMessage(*error);
}

void SeasonWindow::onWorkbook()
{
    const QString path = chooseSaveFile(u"Wertung als Arbeitsmappe speichern"_s, u"Arbeitsmappe (*.xlsx)"_s, u"xlsx"_s);
    if (path.isEmpty())
        return;
    if (const std::optional<QString> error = writeSeasonWorkbook(m_report, path))
        showMessage(*error);
}

QAction *installSeasonCommand(QWidget &mainWindow, FileChooser *files, DesktopShell *shell,
                              std::function<void(const QByteArray &)> publish)
{
    auto *action = new QAction(u"Meisterschaft"_s, &mainWindow);
    action->setObjectName(u"mMeisterschaft"_s);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    action->setShortcutContext(Qt::WindowShortcut);
    if (auto *menu = mainWindow.findChild<QMenu *>(u"Files"_s))
        menu->addAction(action);
    mainWindow.addAction(action);
    QObject::connect(action, &QAction::triggered, &mainWindow, [&mainWindow, files, shell, publish] {
        auto *window = mainWindow.findChild<SeasonWindow *>();
        if (!window) {
            window = new SeasonWindow(files, shell, &mainWindow);
            if (publish) {
                const auto send = [window, publish] {
                    const SeasonReport &report = window->report();
                    publish(report.events.isEmpty() ? QByteArray() : buildSeasonHtml(report));
                };
                QObject::connect(window, &SeasonWindow::reportChanged, window, send);
                QObject::connect(window, &SeasonWindow::closed, window, [publish] { publish({}); });
            }
        } else if (publish && window->isHidden() && !window->report().events.isEmpty()) {
            // Shown again with the season it still holds.
            publish(buildSeasonHtml(window->report()));
        }
        window->show();
        window->raise();
        window->activateWindow();
    });
    return action;
}

} // namespace vex
