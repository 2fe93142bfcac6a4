// The live page's switch in the status bar: it stays where it was clicked
// whatever the address beside it says.
#include "../race/racefixture.h"
#include "app/livebinding.h"
#include "live/liveserver.h"

#include <QCheckBox>
#include <QMainWindow>
#include <QStatusBar>

using namespace vex;
using namespace Qt::StringLiterals;

class TestLiveBinding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void switchStaysInPlace()
    {
        RaceFixture f;
        LiveServer server(f.race, u"Vexilor"_s);
        QMainWindow window;
        window.resize(1000, 600);
        new LiveBinding(f.race, server, *window.statusBar());
        window.show();
        auto *box = window.statusBar()->findChild<QCheckBox *>(u"cbLive"_s);
        QVERIFY(box);
        box->click(); // on: "Live-Seite startet …" beside it
        QVERIFY(f.race.settings().Live);
        QCoreApplication::processEvents();
        const QPoint on = box->mapTo(&window, QPoint());
        box->click(); // off: nothing beside it
        QVERIFY(!f.race.settings().Live);
        QCoreApplication::processEvents();
        QCOMPARE(box->mapTo(&window, QPoint()), on);
    }
};

QTEST_MAIN(TestLiveBinding)
#include "test_livebinding.moc"
