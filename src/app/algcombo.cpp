#include "app/algcombo.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

class AlgEntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool enabled = option.state & QStyle::State_Enabled;
        const bool selected = option.state & QStyle::State_Selected;
        const QColor background = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
        PaintAlgEntry(*painter, option.rect, index.row(), index.data().toString(), enabled, background);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize text = QStyledItemDelegate::sizeHint(option, index);
        return QSize(std::max(text.width(), kSwitchPictureLeft + kSwitchPictureSize.width() + 2),
                     std::max(text.height(), kSwitchPictureSize.height() + 2));
    }
};

} // namespace

QImage SwitchPicture(bool closed)
{
    QImage image(kSwitchPictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0, 0, 0);
    const QPointF left(8, 11);
    const QPointF right(33, 11);
    p.setPen(QPen(ink, 2));
    p.drawLine(QPointF(0, 11), left);      // wire to the left terminal
    p.drawLine(right, QPointF(40, 11));    // wire from the right terminal
    // The lever: lying on the right terminal, or lifted away from it.
    p.setPen(QPen(closed ? QColor(0, 128, 0) : QColor(192, 0, 0), 2));
    p.drawLine(left, closed ? right : QPointF(29, 1));
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(left, 2.5, 2.5);
    p.drawEllipse(right, 2.5, 2.5);
    return image;
}

void PaintAlgEntry(QPainter &painter, const QRect &rect, int index, const QString &text, bool enabled,
                   const QColor &background)
{
    painter.save();
    painter.fillRect(rect, background);
    painter.setPen(enabled ? QColor(0, 0, 0) : QColor(128, 128, 128));
    painter.drawText(rect.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    if (enabled && (index == 0 || index == 1))
        painter.drawImage(QPoint(rect.left() + kSwitchPictureLeft, rect.top()), SwitchPicture(index == 0));
    painter.restore();
}

AlgComboBox::AlgComboBox(QWidget *parent)
    : QComboBox(parent)
{
    addItems({u"Ein"_s, u"Aus"_s});
    setItemDelegate(new AlgEntryDelegate(this));
    setMinimumWidth(kSwitchPictureLeft + kSwitchPictureSize.width() + 30);
}

void AlgComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    PaintAlgEntry(painter, field, currentIndex(), currentText(), isEnabled(), palette().color(QPalette::Base));
}

} // namespace vex
