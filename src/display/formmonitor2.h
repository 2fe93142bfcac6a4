#pragma once

#include "display/displaylayout.h"
#include "display/timedisplay.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class QLabel;
class QScreen;

namespace vex {

class DigitPanel;

// The spectators' display: a borderless black window covering one whole
// screen, with the title, the running time and the best time in large digits.
// Made hidden at start-up and kept until the program ends; while hidden its
// digits and texts are still written, so it shows the current state as soon as
// it is shown. Closing only hides it.
class TFormMonitor2 : public QWidget
{
    Q_OBJECT

public:
    explicit TFormMonitor2(QWidget *parent = nullptr);

    DigitPanel *digitPanel() const { return m_panel; }
    // Writes this window's digits; the window observes the run on its own.
    TimeDisplay &timeDisplay() { return m_time; }

    // The screen asked for (the setting) and the one the window was put on;
    // they differ when the asked-for screen is not there.
    int monitor() const { return m_monitor; }
    int placedScreenIndex() const { return m_placedIndex; }
    double scale() const { return m_scale; }
    const MonitorLayout &currentLayout() const { return m_layout; }
    // How often the elements were positioned, to show it is not per tick.
    int layoutCount() const { return m_layoutCount; }

    QLabel *PanelTitle = nullptr;
    QWidget *PanelLab1 = nullptr;
    QLabel *LabStart1 = nullptr;
    QWidget *PanelLab2 = nullptr;
    QLabel *LabStart2 = nullptr;
    QLabel *LabBestzeit = nullptr;

public Q_SLOTS:
    // Chooses the screen (counted from 0) and places the window on it.
    void setMonitor(int index);
    // Puts the window on its screen, covering it, and lays it out.
    void PlaceDisplay();
    // Shows the window on its screen. With the display on another screen than
    // the operator's, asks for the keyboard focus to go back (focusBackToMain).
    void showDisplay();

    void setTitle(const QString &title);
    void setStartNumber(const QString &startNumber);
    void setBestDriver(const QString &text);
    void showRunningTime(qint32 ms);
    void showBestTime(qint32 ms);
    // The four display colours: digits, separators, title and labels.
    void setColours(const DisplayColours &colours);
    // The live page's QR code in the top right corner, one pixel a module;
    // a null image takes it away.
    void setLiveCode(const QImage &code);

Q_SIGNALS:
    void displayClosed();
    void focusBackToMain();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void placeOn(const QList<QScreen *> &screens);
    void screenRemoved(QScreen *screen);
    void applyLayout();
    void applyLabelColours();
    void placeLiveCode();

    DigitPanel *m_panel = nullptr;
    TimeDisplay m_time;
    QLabel *m_liveCode = nullptr;
    QImage m_liveCodeImage;
    int m_monitor = 0;
    int m_placedIndex = 0;
    QPointer<QScreen> m_placedScreen;
    bool m_moving = false; // hidden for a move to another screen
    double m_scale = 1.0;
    int m_dpi = kDesignedDpi;
    MonitorLayout m_layout;
    QSize m_laidOutSize;
    int m_layoutCount = 0;
};

} // namespace vex
