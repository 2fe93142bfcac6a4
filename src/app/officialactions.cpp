#include "app/officialactions.h"

#include "app/mainwidgets.h"
#include "race/race.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

HandTimeDialog::HandTimeDialog(const QString &driver, int runs, int run, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"HandTimeDialog"_s);
    setWindowTitle(u"Handzeit eintragen"_s);
    cbLauf = new QComboBox(this);
    cbLauf->setObjectName(u"cbLauf"_s);
    for (int r = 0; r <= runs; ++r)
        cbLauf->addItem(RaceResults::runName(r), r);
    cbLauf->setCurrentIndex(std::clamp(run, 0, runs));
    eZeit = new QLineEdit(this);
    eZeit->setObjectName(u"eZeit"_s);
    eZeit->setPlaceholderText(u"m:ss,hh oder ss,hh"_s);
    eZeit->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9:,.]{0,8}"_s), eZeit));
    eStrafe = new QLineEdit(u"0"_s, this);
    eStrafe->setObjectName(u"eStrafe"_s);
    eStrafe->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,4}"_s), eStrafe));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"Eintragen"_s);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"Abbrechen"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout;
    form->addRow(u"Fahrer/in:"_s, new QLabel(driver, this));
    form->addRow(u"Lauf:"_s, cbLauf);
    form->addRow(u"Zeit:"_s, eZeit);
    form->addRow(u"Strafsekunden:"_s, eStrafe);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    eZeit->setFocus();
}

int HandTimeDialog::run() const
{
    return cbLauf->currentData().toInt();
}

QString HandTimeDialog::time() const
{
    return eZeit->text();
}

QString HandTimeDialog::penalty() const
{
    return eStrafe->text();
}

namespace {

// Asks for the hand time of the row's driver until it is one or the
// operator gives up, asks before a time is replaced, and enters it.
void askHandTime(QMainWindow &window, Race &race, const CorrectionHooks &hooks, RowId row)
{
    const RaceResults &results = race.results();
    const int k = results.pageOfRow(row);
    if (k < 0)
        return;
    const ResultPage &page = results.page(k);
    HandTimeDialog dialog(RaceResults::driverLabel(page, page.rowOfId(row)), page.shownRuns(), race.entry().run,
                          &window);
    while (dialog.exec() == QDialog::Accepted) {
        const RaceResults::HandTimePlan plan =
            results.planHandTime(row, dialog.run(), dialog.time(), dialog.penalty(), race.settings().MinLauf);
        if (!plan.ok) {
            QMessageBox::information(&dialog, dialog.windowTitle(), plan.text);
            continue;
        }
        if (!plan.text.isEmpty() && !hooks.askYesNo(plan.text))
            return;
        race.results().enterHandTime(row, dialog.run(), plan.ms, plan.penaltySeconds);
        return;
    }
}

QString runCaption(int run)
{
    return RaceResults::runName(run);
}

} // namespace

QAction *bindOfficialActions(QMainWindow &window, MainWidgets &ui, Race &race, CorrectionHooks hooks)
{
    ui.PopupMenuProtokol->addSeparator();
    QAction *handTime = ui.PopupMenuProtokol->addAction(u"Handzeit eintragen …"_s);
    handTime->setObjectName(u"mHandzeit"_s);
    QObject::connect(handTime, &QAction::triggered, &window,
                     [&window, &race, hooks] { askHandTime(window, race, hooks, hooks.commandRow()); });
    // The driver of the entry, whose run the barriers just missed.
    QAction *handKey = ui.hideMenu->addAction(u"Handzeit eintragen"_s);
    handKey->setObjectName(u"mHandzeitFahrer"_s);
    handKey->setShortcut(QKeySequence(Qt::Key_F6));
    handKey->setShortcutContext(Qt::WindowShortcut);
    handKey->setAutoRepeat(false);
    window.addAction(handKey);
    QObject::connect(handKey, &QAction::triggered, &window, [&window, &race, hooks] {
        if (race.entry().row != 0)
            askHandTime(window, race, hooks, race.entry().row);
    });

    QAction *runDis = ui.PopupMenuProtokol->addAction(QString());
    runDis->setObjectName(u"mLaufDis"_s);
    const auto isDis = [&race, hooks] {
        const RowId row = hooks.commandRow();
        const int k = race.results().pageOfRow(row);
        if (k < 0)
            return false;
        const ResultPage &p = race.results().page(k);
        return p.marks(p.rowOfId(row)).isDisqualifiedRun(race.entry().run);
    };
    const auto nameRunDis = [runDis, &race, isDis] {
        const QString run = runCaption(race.entry().run);
        runDis->setText(isDis() ? u"Disqualifikation von %1 aufheben"_s.arg(run) : run + u" disqualifizieren"_s);
    };
    nameRunDis();
    QObject::connect(ui.PopupMenuProtokol, &QMenu::aboutToShow, runDis, nameRunDis);
    QObject::connect(runDis, &QAction::triggered, &window, [&race, hooks, isDis] {
        race.results().setRunDisqualified(hooks.commandRow(), race.entry().run, !isDis());
    });

    QMenu *genders = ui.PopupMenuProtokol->addMenu(u"m/w"_s);
    genders->setObjectName(u"mGeschlecht"_s);
    auto *group = new QActionGroup(genders);
    const QList<std::pair<Gender, QString>> choices{
        {Gender::Girl, u"w (Mädchen)"_s}, {Gender::Boy, u"m (Junge)"_s}, {Gender::None, u"keine Angabe"_s}};
    for (const auto &[gender, caption] : choices) {
        QAction *a = genders->addAction(caption);
        a->setObjectName(u"mGeschlecht"_s + (gender == Gender::None ? u"Keins"_s : genderText(gender)));
        a->setCheckable(true);
        group->addAction(a);
        QObject::connect(a, &QAction::triggered, &window,
                         [&race, hooks, g = gender] { race.results().setGender(hooks.commandRow(), g); });
    }
    QObject::connect(ui.PopupMenuProtokol, &QMenu::aboutToShow, genders, [genders, &race, hooks] {
        const RowId row = hooks.commandRow();
        const int k = race.results().pageOfRow(row);
        const Gender current = k < 0 ? Gender::None : race.results().page(k).gender(race.results().page(k).rowOfId(row));
        for (QAction *a : genders->actions()) {
            const bool none = a->objectName().endsWith(u"Keins"_s);
            a->setChecked(none ? current == Gender::None
                               : a->objectName().endsWith(genderText(current)) && current != Gender::None);
        }
    });
    return handKey;
}

} // namespace vex
