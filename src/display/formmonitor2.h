#pragma once

#include <QWidget>

class QLabel;

namespace vex {

class DigitPanel;

// The spectators' display: a borderless black window with the title, the
// running time and the best time in large digits. Made hidden at start-up and
// kept until the program ends; while hidden its digits are still written, so
// it shows the current state as soon as it is shown.
class TFormMonitor2 : public QWidget
{
    Q_OBJECT

public:
    explicit TFormMonitor2(QWidget *parent = nullptr);

    DigitPanel *digitPanel() const { return m_panel; }

    QLabel *PanelTitle = nullptr;
    QWidget *PanelLab1 = nullptr;
    QLabel *LabStart1 = nullptr;
    QWidget *PanelLab2 = nullptr;
    QLabel *LabStart2 = nullptr;
    QLabel *LabBestzeit = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // A provisional placement in proportion to the window: title, label
    // panel 1, running digits, label panel 2, best-time digits.
    void layoutProportionally();

    DigitPanel *m_panel = nullptr;
};

} // namespace vex
