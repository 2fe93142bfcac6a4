// The question about the last session at start-up, and what "Ja" and "Nein"
// do with the program's windows.

#include "app/program.h"
#include "backup/backupnames.h"
#include "backup/backupstore.h"
#include "mainwindowfixture.h"
#include "reports/protocoltext.h"
#include "station/racestation.h"

#include <QComboBox>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

QByteArray lastSession()
{
    QList<ProtocolBlock> blocks;
    for (const QString &name : {u"Bambini"_s, u"Junioren"_s}) {
        ProtocolBlock block;
        block.hasHeading = true;
        block.classEntry = name;
        block.rows = {defaultColumnTitles(),
                      {u"7"_s, name + u" Eins"_s, u"MSC"_s, {}, {}, u"45,12"_s, u"2"_s, {}, {}, u"47,12"_s, u"1"_s},
                      {u"8"_s, name + u" Zwei"_s, u"MSC"_s}};
        blocks.append(block);
    }
    return formatProtocolBlocks(blocks);
}

} // namespace

class TestProgramRecovery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    FakeTicks m_ticks;
    FakeTimers m_timers;
    FakeSound m_sound;
    FakeHelp m_help;
    FakeShell m_shell;
    FakeFileChooser m_files;

    // The station as main() builds it, on the test's backup folder.
    std::unique_ptr<RaceStation> station()
    {
        StationServices s;
        s.ticks = &m_ticks;
        s.timers = &m_timers;
        s.backupFolder = m_folder;
        return std::make_unique<RaceStation>(s);
    }
    MainWindowServices services()
    {
        MainWindowServices s;
        s.sound = &m_sound;
        s.help = &m_help;
        s.shell = &m_shell;
        s.files = &m_files;
        s.identity.title = u"Vexilor"_s;
        s.identity.caption = u"Vexilor 1.2"_s;
        return s;
    }
    void leaveUnsavedSession()
    {
        DurableFileReplacer replacer;
        BackupStore store(m_folder, replacer);
        QVERIFY(!store.write(lastSession()));
    }

private Q_SLOTS:
    void init()
    {
        m_folder = m_dir.filePath(QString::fromUtf8(QTest::currentTestFunction()));
    }

    void jaOpensTheLastSessionAsTheOpenCommandWould()
    {
        leaveUnsavedSession();
        const auto core = station();
        Program program(*core, services());
        QString asked;
        answerNextQuestion(Answer::Yes, &asked);
        program.start();
        QCOMPARE(asked, u"Letzte Sitzung wiederherstellen?"_s);
        QVERIFY(program.mainWindow().isVisible());

        const Race &race = program.mainWindow().race();
        QCOMPARE(race.competition().classes(), (QStringList{u"Bambini"_s, u"Junioren"_s}));
        QCOMPARE(race.entry().page, 0);
        QCOMPARE(race.entry().startNumber, u"7"_s);
        auto *classes = program.mainWindow().findChild<QComboBox *>(u"cmb_Klasse"_s);
        QCOMPARE(classes->count(), 2);
        QCOMPARE(classes->toolTip(), QDir(m_folder).filePath(backupnames::current()));
    }

    void neinStartsEmptyAndKeepsTheSessionAside()
    {
        leaveUnsavedSession();
        {
            const auto core = station();
            Program program(*core, services());
            answerNextQuestion(Answer::No);
            program.start();
            QVERIFY(program.mainWindow().race().competition().classes().isEmpty());
            const QStringList aside = QDir(m_folder).entryList(QDir::Files).filter(
                QRegularExpression(u"^Sicherung-\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d\\.txt$"_s));
            QCOMPARE(aside.size(), 1);
            QFile kept(QDir(m_folder).filePath(aside.first()));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), lastSession());
        }
        // Asked once: the next start is quiet.
        const auto core = station();
        Program program(*core, services());
        QString asked;
        answerNextQuestion(Answer::Yes, &asked);
        program.start();
        QVERIFY(asked.isEmpty());
        QVERIFY(program.mainWindow().race().competition().classes().isEmpty());
    }
};

QTEST_MAIN(TestProgramRecovery)
#include "test_program_recovery.moc"
