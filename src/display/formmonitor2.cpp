#include "display/formmonitor2.h"

#include "display/designedlayout.h"
#include "display/digit.h"
#include "display/digitpanel.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <cmath>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

void paintBlack(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QFont boldFont(const QString &family, int pixelSize)
{
    QFont font(family);
    font.setBold(true);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    return font;
}

} // namespace

TFormMonitor2::TFormMonitor2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(u"FormMonitor2"_s);
    setWindowTitle(u"Monitor 2"_s);
    setAttribute(Qt::WA_QuitOnClose, false); // only the main window ends the program
    paintBlack(this);
    setCursor(Qt::BlankCursor);

    PanelTitle = makeLabel(this, u"PanelTitle"_s, QString());
    PanelTitle->setAlignment(Qt::AlignCenter);
    PanelTitle->setFont(boldFont(u"Arial"_s, 0));

    PanelLab1 = new QWidget(this);
    PanelLab1->setObjectName(u"PanelLab1"_s);
    LabStart1 = makeLabel(PanelLab1, u"LabStart1"_s, u" Start-Nr.:"_s);
    auto *row1 = new QHBoxLayout(PanelLab1);
    row1->setContentsMargins(0, 0, 0, 0);
    row1->setSpacing(0);
    row1->addWidget(LabStart1);
    row1->addStretch(1);

    PanelLab2 = new QWidget(this);
    PanelLab2->setObjectName(u"PanelLab2"_s);
    LabStart2 = makeLabel(PanelLab2, u"LabStart2"_s, u" Best:"_s);
    LabBestzeit = makeLabel(PanelLab2, u"LabBestzeit"_s, QString());
    auto *row2 = new QHBoxLayout(PanelLab2);
    row2->setContentsMargins(0, 0, 0, 0);
    row2->setSpacing(0);
    row2->addWidget(LabStart2);
    row2->addWidget(LabBestzeit, 1);

    m_panel = new DigitPanel(this);
    for (TDigit *digit : m_panel->allDigits()) {
        digit->setColor(Qt::black);
        digit->setColorOff(Qt::black);
        digit->setSeparation(kDesignedSeparation);
    }
    for (QLabel *label : m_panel->allSeparators())
        label->setFont(boldFont(u"Times New Roman"_s, kSeparatorPixelSize));
    m_time.addPanel(m_panel);
    setColours(m_time.colours());

    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &TFormMonitor2::screenRemoved);
    PlaceDisplay();
}

void TFormMonitor2::setMonitor(int index)
{
    m_monitor = index;
    PlaceDisplay();
}

void TFormMonitor2::PlaceDisplay()
{
    placeOn(QGuiApplication::screens());
}

void TFormMonitor2::placeOn(const QList<QScreen *> &screens)
{
    const int index = DisplayScreenIndex(m_monitor, int(screens.size()));
    if (index < 0)
        return; // no screen at all: keep what there is, nothing to cover
    QScreen *screen = screens.at(index);
    m_placedIndex = index;
    m_placedScreen = screen;
    m_dpi = int(std::lround(screen->logicalDotsPerInchY()));
    if (m_dpi <= 0)
        m_dpi = kDesignedDpi;
    // A shown window can't be handed to another screen as it is: where the
    // screens don't share one desktop its native window is made anew, and
    // it would stay unmapped while the window counts as shown. Hidden for
    // the move, it is shown again on the new screen.
    const bool moveShown = !m_moving && isVisible() && windowHandle() && windowHandle()->screen() != screen;
    const QScopedValueRollback moving(m_moving, m_moving || moveShown);
    if (moveShown)
        hide();
    setScreen(screen);
    setGeometry(screen->geometry());
    m_scale = DisplayScale(width());
    applyLayout();
    if (moveShown)
        showDisplay();
}

void TFormMonitor2::screenRemoved(QScreen *screen)
{
    if (!screen || screen != m_placedScreen)
        return;
    // The screen we cover is going away: the operator's screen takes the
    // display, and it sits there until it is placed again.
    QList<QScreen *> remaining = QGuiApplication::screens();
    remaining.removeAll(screen);
    const int wanted = m_monitor;
    m_monitor = 0;
    placeOn(remaining);
    m_monitor = wanted;
}

void TFormMonitor2::showDisplay()
{
    show(); // places the window before it is mapped
    raise();
    if (m_placedIndex != 0)
        Q_EMIT focusBackToMain();
}

void TFormMonitor2::applyLayout()
{
    const QSize client = size();
    m_layout = LayoutDisplay(client, m_scale, m_dpi);
    m_laidOutSize = client;
    ++m_layoutCount;
    const MonitorLayout &m = m_layout;
    const int w = client.width();

    const QFont labelFont = boldFont(u"Arial"_s, m.labelPixels);
    PanelTitle->setFont(labelFont);
    PanelTitle->setGeometry(0, 0, w, m.titleHeight);
    for (QWidget *panel : {PanelLab1, PanelLab2}) {
        panel->setFont(labelFont);
        for (QLabel *label : panel->findChildren<QLabel *>())
            label->setFont(labelFont); // the labels take their panel's font
    }
    PanelLab1->setGeometry(0, m.labelPanel1Top, w, m.labelPanelHeight);
    PanelLab2->setGeometry(0, m.labelPanel2Top, w, m.labelPanelHeight);

    const QFont separatorFont = boldFont(u"Times New Roman"_s, m.separatorPixels);
    for (std::size_t i = 0; i < kDesignedDisplay.size(); ++i) {
        QWidget *element = findChild<QWidget *>(kDesignedDisplay[i].name.toString(), Qt::FindDirectChildrenOnly);
        if (!element)
            continue;
        element->setGeometry(m.elements[i]);
        if (auto *digit = qobject_cast<TDigit *>(element))
            digit->setThickness(m.thickness); // after the resize: checked against the size
        else
            element->setFont(separatorFont);
    }
    applyLabelColours();
    placeLiveCode();
}

void TFormMonitor2::setLiveCode(const QImage &code)
{
    m_liveCodeImage = code;
    if (!m_liveCode) {
        m_liveCode = new QLabel(this);
        m_liveCode->setObjectName(u"LabLiveCode"_s);
    }
    placeLiveCode();
}

void TFormMonitor2::placeLiveCode()
{
    if (!m_liveCode)
        return;
    if (m_liveCodeImage.isNull()) {
        m_liveCode->hide();
        return;
    }
    // Top right, above the running time's digits, where the title and the
    // start number leave room; whole pixels a module, so it stays sharp for
    // a phone's camera. Its quiet zone keeps it apart from the digits.
    const int modules = m_liveCodeImage.width();
    const int room = m_layout.labelPanel1Top + m_layout.labelPanelHeight;
    const int side = std::max(1, (room > modules ? room : height() / 5) / modules) * modules;
    m_liveCode->setPixmap(QPixmap::fromImage(m_liveCodeImage.scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation)));
    m_liveCode->setGeometry(width() - side, 0, side, side);
    m_liveCode->raise();
    m_liveCode->show();
}

void TFormMonitor2::applyLabelColours()
{
    const DisplayColours &c = m_time.colours();
    SetLabelTextColour(PanelTitle, c.text);
    SetLabelTextColour(LabStart1, c.zeit);
    SetLabelTextColour(LabStart2, c.bzeit);
    SetLabelTextColour(LabBestzeit, c.bzeit);
}

void TFormMonitor2::setTitle(const QString &title)
{
    PanelTitle->setText(title);
}

void TFormMonitor2::setStartNumber(const QString &startNumber)
{
    LabStart1->setText(u" Start-Nr.:"_s + startNumber);
}

void TFormMonitor2::setBestDriver(const QString &text)
{
    LabBestzeit->setText(text);
}

void TFormMonitor2::showRunningTime(qint32 ms)
{
    m_time.ShowTime(0, ms);
}

void TFormMonitor2::showBestTime(qint32 ms)
{
    m_time.ShowTime(1, ms);
}

void TFormMonitor2::setColours(const DisplayColours &colours)
{
    m_time.ApplyDisplayColours(colours);
    applyLabelColours();
}

void TFormMonitor2::showEvent(QShowEvent *event)
{
    // Each showing finds the screen anew: screens come and go while the
    // display is hidden.
    if (!event->spontaneous())
        PlaceDisplay();
    QWidget::showEvent(event);
}

void TFormMonitor2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Placement has laid out for this size already; a later resize keeps
    // the scale of the placement and fits the heights to the new size.
    if (size() != m_laidOutSize)
        applyLayout();
}

void TFormMonitor2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // On the operator's own screen the display hides everything else, so
        // Esc gives the screen back; on another screen it is closed from the
        // main window.
        if (m_placedIndex == 0)
            close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFormMonitor2::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT displayClosed();
}

} // namespace vex
