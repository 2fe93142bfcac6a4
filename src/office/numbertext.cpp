#include "office/numbertext.h"

#include <QLocale>

#include <cmath>

namespace vex {

QString spreadsheetNumberText(double number)
{
    if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
        return QString::number(qint64(number));
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(number, 'g', 15);
}

} // namespace vex
