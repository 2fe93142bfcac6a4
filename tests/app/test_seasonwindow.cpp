#include "app/desktopshell.h"
#include "app/filechooser.h"
#include "app/seasonwindow.h"

#include <QAction>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

// Answers each dialog with the next path queued.
class QueuedFiles final : public FileChooser
{
public:
    QStringList paths;
    std::optional<FileChoice> chooseSave(QWidget *, const FileDialogRequest &) override { return next(); }
    std::optional<FileChoice> chooseOpen(QWidget *, const FileDialogRequest &) override { return next(); }

private:
    std::optional<FileChoice> next()
    {
        if (paths.isEmpty())
            return std::nullopt;
        return FileChoice{paths.takeFirst(), 1};
    }
};

class RecordingShell final : public DesktopShell
{
public:
    QStringList opened;
    void openDocument(const QString &path) override { opened.append(path); }
    std::optional<QString> printDocument(const QString &, QWidget *) override { return std::nullopt; }
};

QString data(const QString &name)
{
    return QStringLiteral(VEX_SEASON_DATA) + u'/' + name;
}

QStringList rowTexts(const QTableWidget &table, int row)
{
    QStringList cells;
    for (int c = 0; c < table.columnCount(); ++c)
        cells.append(table.item(row, c) ? table.item(row, c)->text() : QString());
    return cells;
}

} // namespace

class TestSeasonWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eventsQuestionsAndExports()
    {
        QTemporaryDir dir;
        QueuedFiles files;
        RecordingShell shell;
        SeasonWindow window(&files, &shell);
        QList<MergeProposal> asked;
        window.setMergeQuestion([&asked](QWidget *, const MergeProposal &p) {
            asked.append(p);
            return SeasonWindow::MergeAnswer::Merge;
        });
        auto *add = window.findChild<QPushButton *>(u"bAddEvent"_s);
        files.paths = {data(u"lauf1-nordheim.txt"_s)};
        add->click();
        files.paths = {data(u"lauf2-talbach.txt"_s)};
        add->click();
        // The second event brings "Max Mueller" beside "Max Müller": asked at once.
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).into.name, u"Max Müller"_s);
        files.paths = {data(u"lauf3-weiler.txt"_s)};
        add->click();
        QCOMPARE(asked.size(), 1);

        auto *standings = window.findChild<QTableWidget *>(u"seasonStandings"_s);
        QCOMPARE(rowTexts(*standings, 1).mid(0, 8),
                 (QStringList{u"2."_s, u"Max Müller"_s, u"AC Talbach"_s, u"45"_s, u"50"_s, u"45"_s, u"140"_s, u"3"_s}));
        QVERIFY(!window.findChild<QPushButton *>(u"bProposals"_s)->isEnabled());

        const QString seasonPath = dir.filePath(u"saison.vxm"_s);
        files.paths = {seasonPath};
        window.findChild<QPushButton *>(u"bSave"_s)->click();
        QVERIFY(QFile::exists(seasonPath));
        // From then on the file follows every change.
        window.findChild<QSpinBox *>(u"seasonMinStarts"_s)->setValue(2);
        QVERIFY(readSeasonFile(seasonPath, nullptr)->rules.minStarts == 2);
        window.findChild<QSpinBox *>(u"seasonMinStarts"_s)->setValue(0);

        files.paths = {dir.filePath(u"wertung.pdf"_s)};
        window.findChild<QPushButton *>(u"bPdf"_s)->click();
        files.paths = {dir.filePath(u"wertung.xlsx"_s)};
        window.findChild<QPushButton *>(u"bWorkbook"_s)->click();
        window.findChild<QPushButton *>(u"bView"_s)->click();
        QVERIFY(QFile::exists(dir.filePath(u"wertung.pdf"_s)));
        QVERIFY(QFile::exists(dir.filePath(u"wertung.xlsx"_s)));
        QCOMPARE(shell.opened.size(), 1);

        // Opened again, the merge answered before holds without a question.
        SeasonWindow again(&files, &shell);
        again.setMergeQuestion([](QWidget *, const MergeProposal &) -> SeasonWindow::MergeAnswer {
            qFatal("asked again");
        });
        QVERIFY(again.openSeason(seasonPath));
        QCOMPARE(again.season().events.size(), 3);
        QCOMPARE(again.season().merges.size(), 1);
        QCOMPARE(again.report().standings.classes.at(0).rows.at(1).sum, 140);
    }

    void commandInTheMainWindow()
    {
        QMainWindow main;
        auto *files = main.menuBar()->addMenu(u"Files"_s);
        files->setObjectName(u"Files"_s);
        QList<QByteArray> published;
        QAction *command = installSeasonCommand(main, nullptr, nullptr,
                                                [&published](const QByteArray &page) { published.append(page); });
        QCOMPARE(command->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
        QVERIFY(files->actions().contains(command));
        command->trigger();
        command->trigger();
        QCOMPARE(main.findChildren<SeasonWindow *>().size(), 1);
        auto *window = main.findChild<SeasonWindow *>();
        QVERIFY(window->isVisible());
        // The live page's tab: the standings while the season is open, nothing after.
        QVERIFY(published.isEmpty());
        window->addEvent(data(u"lauf1-nordheim.txt"_s));
        QVERIFY(!published.isEmpty() && published.last().contains("Anna Berg"));
        QVERIFY(window->hasUnsavedSeason()); // quitting the program asks
        QTemporaryDir dir;
        QVERIFY(window->saveSeason(dir.filePath(u"s.vxm"_s))); // closes without asking
        QVERIFY(!window->hasUnsavedSeason());
        window->close();
        QVERIFY(published.last().isEmpty());
    }
};

QTEST_MAIN(TestSeasonWindow)
#include "test_seasonwindow.moc"
