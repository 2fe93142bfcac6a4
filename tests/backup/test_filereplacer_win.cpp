// The Windows replacer: the new bytes in place or the old file untouched,
// and no temporary file left behind either way.

#include "backup/filereplacer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

enum class Target { Missing, Existing, HeldOpen, FolderMissing };

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Target)

class TestFileReplacerWin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replacesWholeOrNotAtAll_data()
    {
        QTest::addColumn<Target>("target");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("replaced");

        QTest::newRow("new file") << Target::Missing << QByteArray("neu\r\n") << true;
        QTest::newRow("over the old file") << Target::Existing << QByteArray("neu\r\n") << true;
        QTest::newRow("empty") << Target::Existing << QByteArray() << true;
        QTest::newRow("large") << Target::Existing << QByteArray(3 << 20, 'x') << true;
        // An editor that keeps the file open without sharing its deletion.
        QTest::newRow("target held open") << Target::HeldOpen << QByteArray("neu\r\n") << false;
        QTest::newRow("no folder") << Target::FolderMissing << QByteArray("neu\r\n") << false;
    }

    void replacesWholeOrNotAtAll()
    {
        QFETCH(Target, target);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, replaced);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(target == Target::FolderMissing ? u"fehlt/Sicherung.txt"_s
                                                                             : u"Sicherung.txt"_s);
        const QByteArray old("alt\r\n");
        if (target != Target::Missing && target != Target::FolderMissing) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(old), old.size());
        }
        const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
        HANDLE held = INVALID_HANDLE_VALUE;
        if (target == Target::HeldOpen) {
            held = CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            QVERIFY(held != INVALID_HANDLE_VALUE);
        }

        DurableFileReplacer replacer;
        const bool result = replacer.replace(path, bytes);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        QCOMPARE(result, replaced);
        if (replaced)
            QCOMPARE(contents(path), bytes);
        else if (target != Target::FolderMissing)
            QCOMPARE(contents(path), old);
        const bool fileThere = replaced || (target != Target::Missing && target != Target::FolderMissing);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(left, fileThere ? QStringList{u"Sicherung.txt"_s} : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFileReplacerWin)
#include "test_filereplacer_win.moc"
