#include "reportfixture.h"

#include "reports/htmlreport.h"
#include "reports/protocoltext.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace vex;

// The page has to work in a real browser, not only in Qt's HTML subset.
class TestHtmlBrowser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void browserShowsTheTables();

private:
    QString runBrowser(const QStringList &arguments);

    QString m_browser;
    QTemporaryDir m_dir;
    QString m_page;
};

void TestHtmlBrowser::initTestCase()
{
    m_browser = u"/usr/bin/chromium"_s;
    if (!QFileInfo(m_browser).isExecutable())
        QSKIP("chromium is not installed");
    QVERIFY(m_dir.isValid());

    Competition c;
    parseProtocolText(c, vex::testing::readTestData(u"protocol_two_classes.txt"_s));
    HtmlReportInfo info;
    info.title = u"Stadtmeisterschaft"_s;
    info.title2 = u"Kart-Slalom\r\nJugend"_s;
    info.appTitle = u"Vexilor"_s;
    m_page = m_dir.filePath(u"protokoll.html"_s);
    QCOMPARE(WriteHtmlReport(c, info, m_page), std::nullopt);
}

QString TestHtmlBrowser::runBrowser(const QStringList &arguments)
{
    QProcess browser;
    browser.setProcessChannelMode(QProcess::SeparateChannels);
    browser.start(m_browser,
                  QStringList{u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s,
                              u"--disable-background-networking"_s, u"--no-first-run"_s,
                              u"--user-data-dir="_s + m_dir.filePath(u"profile"_s)}
                      + arguments + QStringList{QUrl::fromLocalFile(m_page).toString()});
    if (!browser.waitForFinished(45000)) {
        browser.kill();
        browser.waitForFinished();
        return {};
    }
    return QString::fromUtf8(browser.readAllStandardOutput());
}

void TestHtmlBrowser::browserShowsTheTables()
{
    const QString dom = runBrowser({u"--dump-dom"_s});
    QVERIFY2(dom.contains(u"<table"), qPrintable(dom.left(400)));
    QCOMPARE(dom.count(u"<table"), 2);
    QCOMPARE(dom.count(u"<th "), 18);
    // Read back through the declared character set: the umlauts are intact
    // and the escaped markup is text, not elements.
    QVERIFY(dom.contains(u"Müller, Jörg"));
    QVERIFY(dom.contains(u"Ça &amp; &lt;Co&gt; \"€–\""));
    QVERIFY(dom.contains(u"Kart-Slalom<br>Jugend"));
    QVERIFY(!dom.contains(u"<co>", Qt::CaseInsensitive));

    const QString shot = m_dir.filePath(u"seite.png"_s);
    runBrowser({u"--screenshot="_s + shot, u"--window-size=1024,768"_s, u"--hide-scrollbars"_s});
    QImage image(shot);
    QVERIFY(!image.isNull());
    // The table head's blue must be somewhere on the rendered page.
    bool headColour = false;
    for (int y = 0; y < image.height() && !headColour; y += 2) {
        for (int x = 0; x < image.width() && !headColour; x += 2)
            headColour = image.pixelColor(x, y) == QColor(0x91, 0xB5, 0xFF);
    }
    QVERIFY(headColour);
}

QTEST_GUILESS_MAIN(TestHtmlBrowser)
#include "test_htmlbrowser.moc"
