// The rules of publishing that need no server: how names are shortened, how
// the typed address becomes curl's, and which files a snapshot makes.

#include "live/livesnapshot.h"
#include "publish/namestyle.h"
#include "publish/publishfiles.h"
#include "publish/publishtarget.h"
#include "results/resultpage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vex;

Q_DECLARE_METATYPE(vex::NameStyle)

namespace {

LiveResultsPtr oneClass()
{
    auto results = std::make_shared<LiveResults>();
    results->title = u"Clubmeisterschaft <2026>"_s;
    LiveClass cls;
    cls.name = u"Klasse 1"_s;
    cls.rows = {
        {u"StNr"_s, u"Name"_s, u"Ortsclub"_s, u"TR"_s, u"StS"_s, u"Lauf 1"_s, u"StS"_s, u"Lauf 2"_s, u"StS"_s,
         u"Gesamt"_s, u"Platz"_s},
        {u"7"_s, u"Berg, Anna (2013)"_s, u"MSC"_s, {}, {}, u"31,20"_s, u"0"_s, u"30,10"_s, u"2"_s, u"63,30"_s,
         u"1"_s},
        {u"9"_s, u"Jonas Vogt"_s, u"MSC"_s, {}, {}, u"33,00"_s, u"0"_s, u"34,00"_s, u"0"_s, u"67,00"_s, u"2"_s},
    };
    cls.bestTimeMs = 63300;
    cls.bestDriver = u"7 Berg, Anna (2013)"_s;
    results->classes = {cls};
    return results;
}

} // namespace

class TestPublishRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void publicNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<NameStyle>("style");
        QTest::addColumn<QString>("shown");
        const auto initial = NameStyle::FirstNameInitial;
        QTest::newRow("first last") << u"Anna Berg"_s << initial << u"Anna B."_s;
        QTest::newRow("last, first") << u"Berg, Anna"_s << initial << u"Anna B."_s;
        QTest::newRow("birth year dropped") << u"Anna Berg (2013)"_s << initial << u"Anna B."_s;
        QTest::newRow("birth year, comma form") << u"Berg, Anna (2013)"_s << initial << u"Anna B."_s;
        QTest::newRow("two first names") << u"Anna Lena Berg"_s << initial << u"Anna Lena B."_s;
        QTest::newRow("double surname") << u"Berg-Vogt, Anna"_s << initial << u"Anna B."_s;
        QTest::newRow("umlaut initial") << u"Jonas Özdemir"_s << initial << u"Jonas Ö."_s;
        QTest::newRow("extra spaces") << u"  Anna   Berg "_s << initial << u"Anna B."_s;
        QTest::newRow("one word") << u"Anna"_s << initial << u"Anna"_s;
        QTest::newRow("surname only, comma") << u"Berg,"_s << initial << u"B."_s;
        QTest::newRow("empty") << QString() << initial << QString();
        QTest::newRow("quoted surname") << u"Ça \"Berg\""_s << initial << u"Ça B."_s;
        QTest::newRow("no letter in surname") << u"Ça & <Co> \"€–\""_s << initial << u"Ça & <Co>"_s;
        QTest::newRow("full keeps everything") << u"Berg, Anna (2013)"_s << NameStyle::Full << u"Berg, Anna (2013)"_s;
        QTest::newRow("start number only") << u"Anna Berg"_s << NameStyle::StartNumberOnly << QString();
    }
    void publicNames()
    {
        QFETCH(QString, name);
        QFETCH(NameStyle, style);
        QFETCH(QString, shown);
        QCOMPARE(publicName(name, style), shown);
    }

    void targets_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("curl"); // the URL of file "a.json"; empty: refused
        QTest::newRow("ftp") << u"ftp://web.example"_s << u"live"_s << u"ftp://web.example/live/a.json"_s;
        QTest::newRow("ftps asks for TLS on ftp") << u"ftps://web.example:2121"_s << QString()
                                                  << u"ftp://web.example:2121/a.json"_s;
        QTest::newRow("sftp from the home") << u"sftp://web.example"_s << u"/www/live/"_s
                                            << u"sftp://web.example/~/www/live/a.json"_s;
        QTest::newRow("https path and folder") << u"https://dav.example/remote.php/dav"_s << u"ergebnisse"_s
                                               << u"https://dav.example/remote.php/dav/ergebnisse/a.json"_s;
        QTest::newRow("folder with space") << u"ftp://127.0.0.1"_s << u"Slalom 2026"_s
                                           << u"ftp://127.0.0.1/Slalom%202026/a.json"_s;
        QTest::newRow("ipv6") << u"sftp://[::1]:2222"_s << QString() << u"sftp://[::1]:2222/~/a.json"_s;
        QTest::newRow("backslashes") << u"ftp://web.example"_s << u"a\\b"_s << u"ftp://web.example/a/b/a.json"_s;
        QTest::newRow("http refused") << u"http://web.example"_s << QString() << QString();
        QTest::newRow("no scheme") << u"web.example"_s << QString() << QString();
        QTest::newRow("empty") << QString() << QString() << QString();
        QTest::newRow("parent folder") << u"ftp://web.example"_s << u"../etc"_s << QString();
    }
    void targets()
    {
        QFETCH(QString, address);
        QFETCH(QString, folder);
        QFETCH(QString, curl);
        const TargetParse parsed = parsePublishTarget(address, folder);
        if (curl.isEmpty()) {
            QVERIFY(!parsed.target);
            QVERIFY(!parsed.error.isEmpty());
            return;
        }
        QVERIFY2(parsed.target, qPrintable(parsed.error));
        QCOMPARE(QString::fromUtf8(curlUrl(*parsed.target, u"a.json"_s)), curl);
    }

    // Whatever goes up names drivers as the setting says, in every file.
    void everyFileShortensNames_data()
    {
        QTest::addColumn<NameStyle>("style");
        QTest::addColumn<QString>("hidden");
        QTest::addColumn<QString>("shown");
        QTest::newRow("initial") << NameStyle::FirstNameInitial << u"Berg"_s << u"Anna B."_s;
        QTest::newRow("start numbers") << NameStyle::StartNumberOnly << u"Anna"_s << QString();
        QTest::newRow("full") << NameStyle::Full << QString() << u"Berg, Anna (2013)"_s;
    }
    void everyFileShortensNames()
    {
        QFETCH(NameStyle, style);
        QFETCH(QString, hidden);
        QFETCH(QString, shown);
        PublishSnapshot snapshot;
        snapshot.results = oneClass();
        snapshot.course.name = u"Berg, Anna (2013)"_s;
        snapshot.seasonPages = {"<p>Berg, Anna (2013)</p>", "<p>Anna B.</p>", "<p>7</p>"};
        const QList<PublishFile> files = publishFiles(snapshot, ContentAll, style);
        QStringList names;
        for (const PublishFile &f : files) {
            names.append(f.name);
            if (!hidden.isEmpty())
                QVERIFY2(!f.bytes.contains(hidden.toUtf8()) && !f.bytes.contains(hidden.toLatin1()), qPrintable(f.name));
        }
        QCOMPARE(names, (QStringList{u"results.json"_s, u"index.html"_s, u"protokoll.txt"_s, u"season.html"_s}));
        const QJsonObject doc = QJsonDocument::fromJson(files.at(0).bytes).object();
        const QJsonObject cls = doc.value(u"classes"_s).toArray().at(0).toObject();
        QCOMPARE(cls.value(u"rows"_s).toArray().at(0).toObject().value(u"name"_s).toString(), shown);
        QCOMPARE(doc.value(u"course"_s).toObject().value(u"name"_s).toString(), shown);
        QCOMPARE(cls.value(u"best"_s).toObject().value(u"driver"_s).toString(), QString(u"7 "_s + shown).trimmed());
    }

    // No short-named season page: nothing of the season goes up.
    void seasonNeedsItsShortPage()
    {
        PublishSnapshot snapshot;
        snapshot.results = oneClass();
        snapshot.seasonPages[0] = "<p>Berg, Anna</p>";
        const QList<PublishFile> files = publishFiles(snapshot, ContentSeason | ContentJson, NameStyle::FirstNameInitial);
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.at(0).name, u"results.json"_s);
    }

    void pageTakesTheLiveLookAndEscapesTheTitle()
    {
        const QByteArray page = staticResultsPage(u"Cup <b>@STYLE@"_s);
        QVERIFY(page.contains("<title>Cup &lt;b&gt;@STYLE@</title>"));
        QVERIFY(page.contains("--accent")); // the live page's styles
        QVERIFY(page.contains("results.json"));
        QVERIFY(!page.contains("@TITLE@"));
    }
};

QTEST_GUILESS_MAIN(TestPublishRules)
#include "test_publishrules.moc"
