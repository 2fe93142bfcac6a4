#include "display/formmonitor2.h"

#include "display/designedlayout.h"
#include "display/digit.h"
#include "display/digitpanel.h"

#include <QLabel>
#include <QResizeEvent>

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

} // namespace

TFormMonitor2::TFormMonitor2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(u"FormMonitor2"_s);
    setWindowTitle(u"Monitor 2"_s);
    paintBlack(this);
    setCursor(Qt::BlankCursor);

    PanelTitle = makeLabel(this, u"PanelTitle"_s, QString());
    PanelTitle->setAlignment(Qt::AlignCenter);
    QFont titleFont(u"Arial"_s);
    titleFont.setBold(true);
    PanelTitle->setFont(titleFont);

    PanelLab1 = new QWidget(this);
    PanelLab1->setObjectName(u"PanelLab1"_s);
    LabStart1 = makeLabel(PanelLab1, u"LabStart1"_s, u" Start-Nr.:1"_s);

    PanelLab2 = new QWidget(this);
    PanelLab2->setObjectName(u"PanelLab2"_s);
    LabStart2 = makeLabel(PanelLab2, u"LabStart2"_s, u" Best:"_s);
    LabBestzeit = makeLabel(PanelLab2, u"LabBestzeit"_s, QString());

    m_panel = new DigitPanel(this);
    for (TDigit *digit : m_panel->allDigits()) {
        digit->setColor(Qt::black);
        digit->setColorOff(Qt::black);
        digit->setSeparation(kDesignedSeparation);
    }
    QFont separatorFont(u"Times New Roman"_s);
    separatorFont.setBold(true);
    for (QLabel *label : m_panel->allSeparators())
        label->setFont(separatorFont);

    resize(1029, 800);
    layoutProportionally();
}

void TFormMonitor2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutProportionally();
}

void TFormMonitor2::layoutProportionally()
{
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0)
        return;
    // The main window's row of digits, from the left end of the line between
    // its rows, stretched to the window's width.
    const double scale = double(w) / kDesignedBevel1.width();
    const int left = kDesignedBevel1.left();
    auto mapX = [&](int x) { return int(std::lround((x - left) * scale)); };

    const int labelHeight = std::max(1, h / 14);
    const int titleHeight = std::max(1, labelHeight * 8 / 7);
    const int digitHeight = std::max(1, (h - titleHeight - 3 * labelHeight) / 2);
    const int runningTop = titleHeight + labelHeight;
    const int bestTop = h - digitHeight - labelHeight / 2;

    PanelTitle->setGeometry(0, 0, w, titleHeight);
    PanelLab1->setGeometry(0, titleHeight, w, labelHeight);
    PanelLab2->setGeometry(0, bestTop - labelHeight, w, labelHeight);
    LabStart1->setGeometry(0, 0, w / 2, labelHeight);
    LabStart2->setGeometry(0, 0, w / 4, labelHeight);
    LabBestzeit->setGeometry(w / 4, 0, w - w / 4, labelHeight);
    for (QWidget *text : {static_cast<QWidget *>(PanelTitle), PanelLab1, PanelLab2}) {
        QFont font = text->font();
        font.setPixelSize(labelHeight);
        text->setFont(font); // the labels of a panel take its font
    }

    for (TDigit *digit : m_panel->allDigits()) {
        const QRect designed = DesignedGeometry(digit->objectName());
        const bool running = designed.top() < kDesignedBevel1.top();
        const int x0 = mapX(designed.left());
        const int x1 = mapX(designed.left() + designed.width());
        digit->setGeometry(x0, running ? runningTop : bestTop, x1 - x0, digitHeight);
        digit->setThickness(int(std::lround(kDesignedThickness * scale)));
    }
    for (QLabel *label : m_panel->allSeparators()) {
        const QRect designed = DesignedGeometry(label->objectName());
        const bool running = designed.top() < kDesignedBevel1.top();
        const int x0 = mapX(designed.left());
        const int x1 = mapX(designed.left() + designed.width());
        label->setGeometry(x0, running ? runningTop : bestTop, x1 - x0, digitHeight);
        QFont font = label->font();
        font.setPixelSize(std::max(1, int(std::lround(kSeparatorPixelSize * scale))));
        label->setFont(font);
    }
}

} // namespace vex
