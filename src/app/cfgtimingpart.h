#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace vex {

struct Settings;

// The settings dialog's part for the timing hardware on serial byte
// streams: whether a timer stands in for the light barriers, its port and
// rate, and the display board's port, rate and what it shows. A port is a
// COM name or (on Linux) a device path, typed or chosen from what is found.
class TimingDevicesPart : public QWidget
{
    Q_OBJECT
public:
    explicit TimingDevicesPart(QWidget *parent = nullptr);

    // The COM numbers found; device paths of the system are added to them.
    void setPorts(const QList<int> &ports);
    void load(const Settings &settings);
    void read(Settings &settings) const;

    QRadioButton *rbLichtschranken = nullptr;
    QRadioButton *rbZeitmessgeraet = nullptr;
    QComboBox *cbTimerPort = nullptr;
    QComboBox *cbTimerBaud = nullptr;
    QComboBox *cbTafelPort = nullptr;
    QComboBox *cbTafelBaud = nullptr;
    QCheckBox *chkTafelLaufzeit = nullptr;
    QCheckBox *chkTafelZielzeit = nullptr;
    QCheckBox *chkTafelStartnummer = nullptr;

private:
    void followSource();
};

} // namespace vex
