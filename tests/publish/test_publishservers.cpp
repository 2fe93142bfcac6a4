// Uploads to real servers on loopback: FTP, FTPS, SFTP and WebDAV over
// https, each started by the test. A server whose package is missing skips.

#include "../race/racefixture.h"
#include "loopbackserver.h"
#include "publish/curlupload.h"
#include "publish/resultspublisher.h"

#include <QDirIterator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

Q_DECLARE_METATYPE(vex::PublishProtocol)
Q_DECLARE_METATYPE(vex::UploadStage)

// Starts the server of the row; a missing package skips the test.
#define START_SERVER(server)                                                                                       \
    do {                                                                                                           \
        const QString why = (server).start();                                                                      \
        if ((server).skipped())                                                                                    \
            QSKIP(qPrintable(why));                                                                                \
        QVERIFY2(why.isEmpty(), qPrintable(why));                                                                  \
    } while (false)

namespace {

PublishTarget targetFor(const QString &kind, const LoopbackServer &server, const QString &folder)
{
    PublishTarget t;
    t.protocol = kind == u"ftp"    ? PublishProtocol::Ftp
                 : kind == u"ftps" ? PublishProtocol::Ftps
                 : kind == u"sftp" ? PublishProtocol::Sftp
                                   : PublishProtocol::WebDav;
    t.host = u"127.0.0.1"_s;
    t.port = server.port;
    t.folder = folder;
    t.user = u"club"_s;
    t.password = u"geheim"_s;
    if (kind == u"sftp")
        t.trusted = server.fingerprint;
    else if (kind != u"ftp")
        t.caFile = server.caFile();
    return t;
}

// Bytes that differ from one round to the next all through the file.
QByteArray content(int round, int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char('a' + (i * 31 + round * 7) % 26);
    return b;
}

QStringList filesIn(const QString &dir)
{
    QStringList names;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(dir).relativeFilePath(it.next()));
    names.sort();
    return names;
}

void kinds()
{
    QTest::addColumn<QString>("kind");
    for (const char *k : {"ftp", "ftps", "sftp", "dav"})
        QTest::newRow(k) << QString::fromLatin1(k);
}

} // namespace

class TestPublishServers : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    // Rounds of uploads: every file arrives whole and as last sent, the
    // folder is made, and no temporary file stays behind.
    void filesArriveCompleteAndCurrent_data() { kinds(); }
    void filesArriveCompleteAndCurrent()
    {
        QFETCH(QString, kind);
        const QString root = m_dir.filePath(kind + u"/root"_s);
        LoopbackServer server(kind, root, m_dir.filePath(kind + u"/state"_s));
        START_SERVER(server);
        const PublishTarget target = targetFor(kind, server, u"live/heute"_s);
        CurlUpload upload;
        for (int round = 0; round < 3; ++round) {
            const QList<PublishFile> files{{u"results.json"_s, content(round, 300000)},
                                           {u"index.html"_s, content(round + 1, 900)}};
            const UploadResult r = upload.upload(target, files);
            QVERIFY2(r.ok(), qPrintable(r.message));
            for (const PublishFile &f : files)
                QCOMPARE(readAll(root + u"/live/heute/"_s + f.name), f.bytes);
        }
        QCOMPARE(filesIn(root), (QStringList{u"live/heute/index.html"_s, u"live/heute/results.json"_s}));
    }

    // "Verbindung testen" names the step that failed.
    void testNamesTheFailedStep_data() { kinds(); }
    void testNamesTheFailedStep()
    {
        QFETCH(QString, kind);
        const QString root = m_dir.filePath(kind + u"/steps"_s);
        LoopbackServer server(kind, root, m_dir.filePath(kind + u"/state"_s));
        START_SERVER(server);
        QVERIFY(writeAll(root + u"/blocked"_s, "a file where the folder should be"));
        CurlUpload upload;
        PublishTarget t = targetFor(kind, server, u"neu"_s);
        QCOMPARE(upload.test(t).stage, UploadStage::None);
        QCOMPARE(filesIn(root), (QStringList{u"blocked"_s})); // the test file is gone again
        t.password = u"falsch"_s;
        const UploadResult wrong = upload.test(t);
        QCOMPARE(wrong.stage, UploadStage::Login);
        QVERIFY(wrong.message.contains(u"Passwort"_s));
        t = targetFor(kind, server, u"blocked/sub"_s);
        const UploadResult blocked = upload.test(t);
        QVERIFY2(blocked.stage == UploadStage::Folder || blocked.stage == UploadStage::Writing,
                 qPrintable(blocked.message));
        t = targetFor(kind, server, {});
        t.host = u"nirgends.invalid"_s;
        QCOMPARE(upload.test(t).stage, UploadStage::Name);
        server.stop();
        QCOMPARE(upload.test(targetFor(kind, server, {})).stage, UploadStage::Connection);
    }

    // An unknown key or certificate is refused and its fingerprint offered;
    // once confirmed it is accepted; another one later is refused as changed.
    void trustNeedsConfirmation_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *k : {"ftps", "sftp", "dav"})
            QTest::newRow(k) << QString::fromLatin1(k);
    }
    void trustNeedsConfirmation()
    {
        QFETCH(QString, kind);
        const QString root = m_dir.filePath(kind + u"/trust"_s);
        LoopbackServer server(kind, root, m_dir.filePath(kind + u"/state"_s));
        START_SERVER(server);
        CurlUpload upload;
        PublishTarget t = targetFor(kind, server, {});
        t.caFile.clear();
        t.trusted.clear();
        const UploadResult unknown = upload.test(t);
        QCOMPARE(unknown.stage, UploadStage::Trust);
        QVERIFY(!unknown.changed);
        QCOMPARE(unknown.offered, server.fingerprint);
        t.trusted = unknown.offered;
        QCOMPARE(upload.test(t).stage, UploadStage::None);
        t.trusted = kind == u"sftp" ? u"SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"_s
                                    : u"sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA="_s;
        const UploadResult other = upload.test(t);
        QCOMPARE(other.stage, UploadStage::Trust);
        QVERIFY(other.changed);
        QVERIFY(other.message.contains(u"geändert"_s));
        QVERIFY(filesIn(root).isEmpty()); // nothing went to a server not trusted
    }

    // The publisher while the server goes away and comes back: the failure
    // shows in the status, the pause grows, and the state goes up once the
    // server is back.
    void stoppedServerIsRetriedAndRecovers()
    {
        const QString root = m_dir.filePath(u"recover/root"_s);
        LoopbackServer server(u"ftp"_s, root, m_dir.filePath(u"recover/state"_s));
        START_SERVER(server);
        RaceFixture f;
        f.load({{driver(u"1"_s, u"Berg, Anna (2013)"_s, u"MSC"_s)}}, {u"Klasse 1"_s});
        ResultsPublisher publisher(f.race, u"Vexilor"_s, f.ticks, f.timers);
        publisher.setClock([] { return QDateTime(QDate(2026, 5, 3), QTime(10, 42, 13)); });
        publisher.setPassword(u"geheim"_s);
        QSignalSpy done(&publisher, &ResultsPublisher::uploadFinished);
        PublishOptions o;
        o.enabled = true;
        o.address = u"ftp://127.0.0.1:%1"_s.arg(server.port);
        o.user = u"club"_s;
        publisher.setOptions(o);
        QVERIFY(done.wait(20000));
        QVERIFY(done.last().at(0).value<UploadResult>().ok());
        QCOMPARE(publisher.statusText(), u"Internet: letzte Übertragung 10:42:13"_s);
        QVERIFY(readAll(root + u"/results.json"_s).contains("Anna B."));

        server.stop();
        f.changeSettings([](Settings &s) { s.Title = u"Nach der Pause"_s; });
        QTRY_VERIFY(f.timers.isActive(u"publish"_s)); // the change waits for the interval
        f.ticks.value += 20000;
        QVERIFY(f.timers.fire(u"publish"_s));
        QVERIFY(done.wait(20000));
        QCOMPARE(done.last().at(0).value<UploadResult>().stage, UploadStage::Connection);
        QVERIFY(publisher.statusIsFailure());
        QVERIFY(publisher.statusText().contains(u"keine Verbindung"_s));

        START_SERVER(server);
        f.ticks.value += 20000;
        QVERIFY(f.timers.fire(u"publish"_s));
        QVERIFY(done.wait(20000));
        QVERIFY(done.last().at(0).value<UploadResult>().ok());
        QVERIFY(!publisher.statusIsFailure());
        QVERIFY(readAll(root + u"/results.json"_s).contains("Nach der Pause"));
        QVERIFY(readAll(root + u"/index.html"_s).contains("Nach der Pause"));
    }
};

QTEST_GUILESS_MAIN(TestPublishServers)
#include "test_publishservers.moc"
