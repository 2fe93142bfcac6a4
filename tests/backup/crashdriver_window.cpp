// The whole program as main() builds it, on the offscreen platform; the
// question at start-up is answered with a click on "Ja".

#include "crashdriver.h"

#include "app/program.h"
#include "app/runsound.h"
#include "station/racestation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

class SilentSound final : public RunSoundPlayer
{
public:
    void play(const QString &) override {}
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Vexilor"_s);
    crashdriver::Ticks ticks;
    crashdriver::ReportingReplacer replacer;
    SilentSound sound;
    StationServices stationServices;
    stationServices.ticks = &ticks;
    stationServices.backupFolder = app.arguments().value(1);
    stationServices.backupReplacer = &replacer;
    RaceStation station(stationServices);
    MainWindowServices services;
    services.sound = &sound;
    services.identity.title = u"Vexilor"_s;
    services.identity.caption = u"Vexilor 1.2"_s;
    Program program(station, services);

    bool asked = false;
    QTimer::singleShot(0, [&asked] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            if (auto *yes = dialog->findChild<QAbstractButton *>(u"bJa"_s)) {
                asked = true;
                yes->click();
            }
        }
    });
    program.start();
    TFormMain &window = program.mainWindow();
    return crashdriver::run(asked, station.files(), ticks, [&window](const QString &path) { window.openProtocolText(path); });
}
