#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;

namespace vex {

class ByteStream;
class RaceBarriers;

// The timer's and the display board's state in the status bar, each in a
// panel of its own that shows only while the device is chosen; a message
// of the device (lost, back, a start number that doesn't match) stands
// beside its state until the state changes or the next message comes.
class SerialStatusBinding : public QObject
{
    Q_OBJECT
public:
    SerialStatusBinding(RaceBarriers &barriers, QStatusBar &bar);

private:
    struct Panel
    {
        ByteStream *stream = nullptr;
        QLabel *label = nullptr;
        QString message;
    };
    void show(Panel &panel);

    Panel m_timer;
    Panel m_board;
};

} // namespace vex
