#include "app/correctionactions.h"

#include "app/mainwidgets.h"
#include "race/race.h"

#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// keepFromTextFields: the key acts wherever the focus is, a text field too.
QAction *addKeyAction(QMainWindow &window, MainWidgets &ui, const QString &name, const QString &caption,
                      const QKeySequence &key, bool keepFromTextFields)
{
    QAction *a = ui.hideMenu->addAction(caption);
    a->setObjectName(name);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    // A held key must not repeat a correction.
    a->setAutoRepeat(false);
    window.addAction(a);
    if (keepFromTextFields)
        ui.menuKeys.insert(key[0]);
    return a;
}

QString runCaption(int run)
{
    return run == 0 ? u"TR"_s : u"Lauf %1"_s.arg(run);
}

} // namespace

QList<QAction *> bindCorrectionActions(QMainWindow &window, MainWidgets &ui, Race &race, CorrectionHooks hooks)
{
    QAction *resume = addKeyAction(window, ui, u"mWeiterlaufen"_s, u"Weiterlaufen"_s, QKeySequence(Qt::Key_F7), true);
    resume->setEnabled(false);
    QObject::connect(resume, &QAction::triggered, &race, &Race::resumeRun);
    QObject::connect(&race, &Race::runControlsChanged, resume,
                     [resume, &race] { resume->setEnabled(race.runController().state() == RunState::Stopped); });
    // A text field keeps Ctrl+Z while it has typing to take back (the key
    // guard sees to that); otherwise the key takes back a command.
    QAction *undo = addKeyAction(window, ui, u"mRueckgaengig"_s, u"Rückgängig"_s, QKeySequence(Qt::CTRL | Qt::Key_Z),
                                 false);
    QObject::connect(undo, &QAction::triggered, &race, &Race::undo);
    QAction *redo = addKeyAction(window, ui, u"mWiederherstellen"_s, u"Wiederholen"_s,
                                 QKeySequence(Qt::CTRL | Qt::Key_Y), false);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    QObject::connect(redo, &QAction::triggered, &race, &Race::redo);
    QObject::connect(&race, &Race::stepReported, ui.statusPanels[1], &QLabel::setText);

    // The popup names what a step would do, as the operator reads it in the journal.
    ui.PopupMenuProtokol->addSeparator();
    QAction *undoRow = ui.PopupMenuProtokol->addAction(QString());
    undoRow->setObjectName(u"mRueckgaengigZeile"_s);
    QAction *redoRow = ui.PopupMenuProtokol->addAction(QString());
    redoRow->setObjectName(u"mWiederherstellenZeile"_s);
    QObject::connect(undoRow, &QAction::triggered, &race, &Race::undo);
    QObject::connect(redoRow, &QAction::triggered, &race, &Race::redo);
    const auto nameSteps = [undoRow, redoRow, &race] {
        const QUndoStack &stack = race.results().stack();
        undoRow->setText(stack.canUndo() ? u"Rückgängig: "_s + stack.undoText() : u"Rückgängig"_s);
        undoRow->setEnabled(race.canUndo());
        redoRow->setText(stack.canRedo() ? u"Wiederholen: "_s + stack.redoText() : u"Wiederholen"_s);
        redoRow->setEnabled(race.canRedo());
    };
    nameSteps();
    QObject::connect(ui.PopupMenuProtokol, &QMenu::aboutToShow, undoRow, nameSteps);
    ui.PopupMenuProtokol->addSeparator();

    QAction *move = ui.PopupMenuProtokol->addAction(QString());
    move->setObjectName(u"mVerschieben"_s);
    QAction *reRun = ui.PopupMenuProtokol->addAction(QString());
    reRun->setObjectName(u"mWiederholen"_s);
    // The captions name the run they act on: the one chosen for the next entry.
    const auto nameRun = [move, reRun, &race] {
        const QString run = runCaption(race.entry().run);
        move->setText(run + u" verschieben zu …"_s);
        reRun->setText(run + u" wiederholen lassen"_s);
    };
    nameRun();
    QObject::connect(ui.PopupMenuProtokol, &QMenu::aboutToShow, move, nameRun);
    QObject::connect(move, &QAction::triggered, &race, [&window, &race, hooks] {
        const RowId from = hooks.commandRow();
        const int run = race.entry().run;
        bool ok = false;
        const QString number = QInputDialog::getText(&window, window.windowTitle(),
                                                     runCaption(run) + u" zu Startnummer:"_s, QLineEdit::Normal,
                                                     QString(), &ok);
        if (!ok)
            return;
        const RaceResults::RunMovePlan plan = race.results().planRunMove(from, run, number);
        if (plan.target == 0)
            QMessageBox::information(&window, window.windowTitle(), plan.text);
        else if (hooks.askYesNo(plan.text))
            race.results().moveRun(from, run, plan.target);
    });
    QObject::connect(reRun, &QAction::triggered, &race, [&race, hooks] {
        const RowId row = hooks.commandRow();
        const int run = race.entry().run;
        if (hooks.askYesNo(race.results().reRunQuestion(row, run)))
            race.results().grantReRun(row, run);
    });
    return {resume, undo, redo};
}

} // namespace vex
