#pragma once

#include "season/season.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace vex {

class DesktopShell;
class FileChooser;

// "Meisterschaft": the standings of a season over the saved protocols of its
// events. The operator adds the events, sets the rules, answers the
// questions about spellings of one driver and exports the standings; the
// season is kept in a file of its own.
class SeasonWindow : public QWidget
{
    Q_OBJECT
public:
    // The answer to "are these one driver?"
    enum class MergeAnswer { Merge, KeepApart, Later };
    using MergeQuestion = std::function<MergeAnswer(QWidget *parent, const MergeProposal &)>;

    // files and shell may be null: Qt's dialogs and the desktop.
    SeasonWindow(FileChooser *files, DesktopShell *shell, QWidget *parent = nullptr);
    ~SeasonWindow() override;

    // Tests answer the questions without a message box.
    void setMergeQuestion(MergeQuestion question) { m_question = std::move(question); }

    // The commands of the buttons; false when cancelled or failed (the
    // operator has been told why).
    bool openSeason(const QString &path);
    bool addEvent(const QString &path);
    bool saveSeason(const QString &path);
    // Asks about each open proposal; returns the number merged.
    int askProposals();

    const SeasonDefinition &season() const { return m_season; }
    const SeasonReport &report() const { return m_report; }
    QString seasonPath() const { return m_path; }
    // Events were added or rules changed that no season file holds yet.
    bool hasUnsavedSeason() const { return m_dirty && !m_season.events.isEmpty(); }

Q_SIGNALS:
    // After every new evaluation, for the live page.
    void reportChanged();
    // The window was closed: no season is open any more.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    void rulesToUi();
    void rulesFromUi();
    void eventsToUi();
    void standingsToUi();
    void evaluate();
    void changed();
    void showMessage(const QString &text);
    QString chooseSaveFile(const QString &caption, const QString &filter, const QString &suffix);

    void onNew();
    void onOpen();
    void onSave(bool choosePath);
    void onAdd();
    void onRemove();
    void onReload();
    void onEventEdited(int row, int column);
    void onView();
    void onPrint();
    void onPdf();
    void onWorkbook();

    FileChooser *m_files;
    DesktopShell *m_shell;
    std::unique_ptr<FileChooser> m_ownFiles;
    std::unique_ptr<DesktopShell> m_ownShell;
    MergeQuestion m_question;

    SeasonDefinition m_season;
    QList<EventRead> m_reads;
    SeasonReport m_report;
    QString m_path;
    bool m_dirty = false;
    bool m_saveFailed = false; // told once, until a save works again
    bool m_filling = false;

    QLineEdit *m_title = nullptr;
    QTableWidget *m_events = nullptr;
    QLineEdit *m_points = nullptr;
    QLabel *m_pointsError = nullptr;
    QComboBox *m_counting = nullptr;
    QSpinBox *m_countValue = nullptr;
    QSpinBox *m_minStarts = nullptr;
    QComboBox *m_qualification = nullptr;
    QSpinBox *m_qualifyValue = nullptr;
    QSpinBox *m_teamDrivers = nullptr;
    QComboBox *m_class = nullptr;
    QTableWidget *m_standings = nullptr;
    QLabel *m_leftOut = nullptr;
    QLabel *m_rulesLine = nullptr;
    QPushButton *m_proposals = nullptr;
};

// The question as a message box: "Ja", "Nein", "Später".
SeasonWindow::MergeAnswer askMergeInMessageBox(QWidget *parent, const MergeProposal &proposal);

// Gives the main window the command "Meisterschaft" on Ctrl+M, in its hidden
// menu where there is one; the window is made when first asked for. While it
// is open with events, publish is handed the standings as a web page after
// every change, and an empty page when it closes.
QAction *installSeasonCommand(QWidget &mainWindow, FileChooser *files, DesktopShell *shell,
                              std::function<void(const QByteArray &)> publish = {});

} // namespace vex
