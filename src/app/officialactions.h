#pragma once

#include "app/correctionactions.h"
#include "results/resultpage.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace vex {

// "Handzeit eintragen": the run, its time from the stopwatch and the penalty.
class HandTimeDialog : public QDialog
{
    Q_OBJECT
public:
    // runs: the scoring runs the class shows; run: the one proposed.
    HandTimeDialog(const QString &driver, int runs, int run, QWidget *parent = nullptr);

    int run() const;
    QString time() const;
    QString penalty() const;

    QComboBox *cbLauf = nullptr;
    QLineEdit *eZeit = nullptr;
    QLineEdit *eStrafe = nullptr;
};

// The officials' commands in the rows' popup menu, on the row it was opened
// on: "Handzeit eintragen …" (also F6 for the driver of the entry),
// "Lauf n disqualifizieren" and lifting it for the run chosen for the next
// entry, and whether the driver is a girl or a boy ("m/w"). Returns the key
// action.
QAction *bindOfficialActions(QMainWindow &window, MainWidgets &ui, Race &race, CorrectionHooks hooks);

} // namespace vex
