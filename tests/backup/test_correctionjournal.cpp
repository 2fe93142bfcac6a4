// The journal of corrections: a file per day that is never emptied, one line
// per command, and a bound that a runaway can't pass.
#include "backup/correctionjournal.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vex;
using namespace Qt::StringLiterals;

class TestCorrectionJournal : public QObject
{
    Q_OBJECT

    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void keepsEveryDayAndStaysBounded()
    {
        QTemporaryDir dir;
        QDateTime now(QDate(2026, 5, 16), QTime(23, 59, 58));
        CorrectionJournal journal(dir.path(), [&] { return now; });
        journal.append(u"Lauf 1 von Nr. 21 Pia Kürz: 2,01 eingetragen (vorher leer)"_s);
        now = now.addSecs(3); // the second day of the event
        journal.append(u"Rückgängig: Name\r\nmit Umbruch"_s);
        const QByteArray first = read(journal.pathFor(QDate(2026, 5, 16)));
        QCOMPARE(first, u"2026-05-16 23:59:58  Lauf 1 von Nr. 21 Pia Kürz: 2,01 eingetragen (vorher leer)\r\n"_s.toUtf8());
        QCOMPARE(read(journal.pathFor(QDate(2026, 5, 17))),
                 QByteArray("2026-05-17 00:00:01  R\xc3\xbc" "ckg\xc3\xa4ngig: Name  mit Umbruch\r\n"));

        const QString line(4000, u'x');
        for (int i = 0; i < 2 * CorrectionJournal::kMaxDayBytes / 4000; ++i)
            journal.append(line);
        const QByteArray full = read(journal.pathFor(now.date()));
        QVERIFY(full.size() <= CorrectionJournal::kMaxDayBytes);
        QVERIFY(full.endsWith("Das Journal dieses Tages ist voll; weitere Korrekturen stehen nur in der Sicherung.\r\n"));
        QCOMPARE(full.count("voll"), 1);
    }
};

QTEST_GUILESS_MAIN(TestCorrectionJournal)
#include "test_correctionjournal.moc"
