#include "display/digitpanel.h"

#include "display/designedlayout.h"
#include "display/digit.h"

#include <QFont>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// Separators are made before the digits so that the digits stack above them:
// in the designed layout each separator overlaps its right-hand digit by a pixel.
QLabel *makeSeparator(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

TDigit *makeDigit(QWidget *parent, const QString &name)
{
    auto *digit = new TDigit(parent);
    digit->setObjectName(name);
    return digit;
}

} // namespace

DigitPanel::DigitPanel(QWidget *parent)
    : QObject(parent)
    , LabMin(makeSeparator(parent, u"LabMin"_s, u":"_s))
    , LabSec(makeSeparator(parent, u"LabSec"_s, u","_s))
    , LabMin2(makeSeparator(parent, u"LabMin2"_s, u":"_s))
    , LabSec2(makeSeparator(parent, u"LabSec2"_s, u","_s))
    , Digit3(makeDigit(parent, u"Digit3"_s))
    , Digit4(makeDigit(parent, u"Digit4"_s))
    , Digit5(makeDigit(parent, u"Digit5"_s))
    , Digit6(makeDigit(parent, u"Digit6"_s))
    , Digit7(makeDigit(parent, u"Digit7"_s))
    , Digit8(makeDigit(parent, u"Digit8"_s))
    , Digit3a(makeDigit(parent, u"Digit3a"_s))
    , Digit4a(makeDigit(parent, u"Digit4a"_s))
    , Digit5a(makeDigit(parent, u"Digit5a"_s))
    , Digit6a(makeDigit(parent, u"Digit6a"_s))
    , Digit7a(makeDigit(parent, u"Digit7a"_s))
    , Digit8a(makeDigit(parent, u"Digit8a"_s))
    , m_running{Digit3, Digit4, Digit5, Digit6, Digit7, Digit8}
    , m_best{Digit3a, Digit4a, Digit5a, Digit6a, Digit7a, Digit8a}
{
    setObjectName(u"DigitPanel"_s);
}

std::array<TDigit *, 2 * kDigitsPerRow> DigitPanel::allDigits() const
{
    return {Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit3a, Digit4a, Digit5a, Digit6a, Digit7a, Digit8a};
}

void DigitPanel::placeAsDesigned(QPoint origin)
{
    for (TDigit *digit : allDigits()) {
        digit->setGeometry(DesignedGeometry(digit->objectName()).translated(origin));
        digit->setColor(Qt::black);
        digit->setColorOff(Qt::black);
        digit->setSeparation(kDesignedSeparation);
        digit->setThickness(kDesignedThickness); // after the resize: checked against the size
    }

    QFont font(u"Times New Roman"_s);
    font.setPixelSize(kSeparatorPixelSize);
    font.setBold(true);
    for (QLabel *label : allSeparators()) {
        label->setGeometry(DesignedGeometry(label->objectName()).translated(origin));
        label->setFont(font);
    }
}

} // namespace vex
