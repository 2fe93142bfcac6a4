#pragma once

#include <QDialog>

class QCheckBox;

namespace vex {

class Race;

// The live page's address as a QR code, large enough for a phone held up
// to the operator's screen; from here the sheet for the course is printed,
// and the code is put on the spectators' display or taken off it.
class LiveCodeDialog : public QDialog
{
    Q_OBJECT
public:
    LiveCodeDialog(Race &race, const QString &address, QWidget *parent = nullptr);

private:
    void printPoster();

    Race &m_race;
    QString m_address;
    QCheckBox *m_onDisplay = nullptr;
};

} // namespace vex
