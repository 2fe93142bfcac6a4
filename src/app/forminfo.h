#pragma once

#include <QDialog>

namespace vex {

// The about window. It doesn't block the main window: the operator may leave
// it open while working, and asking for it again only brings it forward.
class TFormInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TFormInfo(QWidget *parent = nullptr);

    // Shows the window centred on the main window, or raises it when it is
    // already open.
    void showInfo();
};

} // namespace vex
