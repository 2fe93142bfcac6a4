// What the replacer puts on the disk, in order: the new file's bytes before
// the rename, the folder's new name after it. The flushes are watched by
// wrapping the system's fsync and fdatasync in this program; Qt's and the
// backup library's calls land here first.

#include "backup/filereplacer.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

QStringList g_flushed; // what each flush named when it happened: "file" or "folder"

void recordFlush(int fd)
{
    const QFileInfo target(QFile::decodeName(QByteArray("/proc/self/fd/") + QByteArray::number(fd)));
    const QFileInfo info(target.symLinkTarget());
    g_flushed.append(info.isDir() ? u"folder "_s + info.fileName() : u"file "_s + info.fileName());
}

template <typename Fn>
Fn next(const char *name)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int fd)
{
    recordFlush(fd);
    return next<int (*)(int)>("fsync")(fd);
}

extern "C" int fdatasync(int fd)
{
    recordFlush(fd);
    return next<int (*)(int)>("fdatasync")(fd);
}

class TestFileReplacer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theBytesThenTheNewNameReachTheDisk()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(u"Daten"_s)));
        const QString path = dir.filePath(u"Daten/Sicherung.txt"_s);
        DurableFileReplacer replacer;
        for (const QByteArray &bytes : {QByteArray("erste\r\n"), QByteArray("zweite\r\n")}) {
            g_flushed.clear();
            QVERIFY(replacer.replace(path, bytes));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
            // The temporary file (often one without a name yet) first, the
            // folder last, once the new file has its name.
            QCOMPARE(g_flushed.size(), 2);
            QVERIFY2(g_flushed.first().startsWith(u"file "_s), qPrintable(g_flushed.first()));
            QCOMPARE(g_flushed.last(), u"folder Daten"_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestFileReplacer)
#include "test_filereplacer.moc"
