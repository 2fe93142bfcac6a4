#include "app/eventdayactions.h"

#include "app/awarddialogs.h"
#include "app/mainwidgets.h"
#include "app/teampagebinding.h"
#include "files/racefiles.h"
#include "race/race.h"
#include "reports/certificates.h"
#include "settings/settings.h"
#include "widgets/teampage.h"

#include <QAction>
#include <QDate>
#include <QMainWindow>
#include <QMenu>
#include <QRandomGenerator>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QAction *addEntry(MainWidgets &ui, const QString &name, const QString &caption)
{
    QAction *a = ui.PopupMenuProtokol->addAction(caption);
    a->setObjectName(name);
    return a;
}

// "Mannschaften": a window beside the main window, made once and kept.
QWidget *teamWindow(QMainWindow &window, Race &race)
{
    if (auto *open = window.findChild<QWidget *>(u"FormMannschaften"_s))
        return open;
    auto *w = new QWidget(&window, Qt::Window);
    w->setObjectName(u"FormMannschaften"_s);
    w->setWindowTitle(u"Mannschaften"_s);
    w->resize(560, 420);
    auto *page = new TeamPage(w);
    auto *layout = new QVBoxLayout(w);
    layout->addWidget(page);
    auto *binding = new TeamPageBinding(race.competition(), *page, w);
    binding->setRules(teamRulesOf(race.settings()));
    QObject::connect(&race, &Race::settingsChanged, binding,
                     [binding, &race] { binding->setRules(teamRulesOf(race.settings())); });
    return w;
}

} // namespace

void bindEventDayActions(QMainWindow &window, MainWidgets &ui, Race &race, RaceFiles &files, const QString &appTitle,
                         std::function<bool(const QString &)> askYesNo)
{
    ui.PopupMenuProtokol->addSeparator();
    QAction *draw = addEntry(ui, u"mAuslosen"_s, u"Startreihenfolge auslosen"_s);
    QObject::connect(draw, &QAction::triggered, &race, [&race, askYesNo] {
        if (askYesNo(u"Startreihenfolge der Klasse %1 auslosen?"_s.arg(race.activePage()->caption())))
            race.drawStartOrder(QRandomGenerator::system()->generate());
    });
    QAction *reverse =
        addEntry(ui, u"mUmkehren"_s, u"Startreihenfolge in umgekehrter Reihenfolge des Ergebnisses"_s);
    QObject::connect(reverse, &QAction::triggered, &race, [&race, askYesNo] {
        if (askYesNo(u"Startreihenfolge der Klasse %1 umgekehrt zum Ergebnis setzen?"_s.arg(
                race.activePage()->caption())))
            race.reverseStartOrder();
    });

    ui.PopupMenuProtokol->addSeparator();
    QAction *teams = addEntry(ui, u"mMannschaften"_s, u"Mannschaften …"_s);
    QObject::connect(teams, &QAction::triggered, &window, [&window, &race] {
        QWidget *w = teamWindow(window, race);
        w->show();
        w->raise();
        w->activateWindow();
    });
    QAction *certificates = addEntry(ui, u"mUrkunden"_s, u"Urkunden drucken …"_s);
    QObject::connect(certificates, &QAction::triggered, &window, [&window, &race] {
        const Settings &s = race.settings();
        const QDate day = race.competition().eventDate();
        CertificateInfo info{s.Title, s.Title2, day.isValid() ? day.toString(u"dd.MM.yyyy"_s) : QString(),
                             s.UrkundenBild, race.competition().eventPlace().isEmpty() ? s.Ort : race.competition().eventPlace(),
                             {s.Unterschrift1, s.Unterschrift2}};
        CertificateDialog dialog(certificatesOf(race.competition(), s.UrkundenPlaetze), info, &window,
                                 fastestCertificates(race.competition()));
        dialog.exec();
    });
    QAction *resultList = addEntry(ui, u"mErgebnislistePdf"_s, u"Ergebnisliste als PDF …"_s);
    QObject::connect(resultList, &QAction::triggered, &window, [&window, &files, appTitle] {
        ResultListPdfDialog dialog([&files, appTitle](const QString &status, const QString &deadline) {
            return files.resultListHtml(appTitle, status, deadline);
        }, &window);
        dialog.exec();
    });
}

} // namespace vex
