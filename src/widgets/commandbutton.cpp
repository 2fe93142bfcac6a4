#include "widgets/commandbutton.h"

#include <QEnterEvent>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <optional>

using namespace Qt::StringLiterals;

namespace vex {

TLbSpeedButton::TLbSpeedButton(QWidget *parent)
    : QAbstractButton(parent)
    // Until the window colours a button it looks like an enabled Eintragen
    // button rather than a white caption on a grey face.
    , m_face(0, 128, 128)
    , m_highlight(0, 255, 255)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

TLbSpeedButton::TLbSpeedButton(const QString &caption, QWidget *parent)
    : TLbSpeedButton(parent)
{
    setText(caption);
}

void TLbSpeedButton::setFaceColor(const QColor &color)
{
    if (m_face == color)
        return;
    m_face = color;
    update();
}

void TLbSpeedButton::setHighlightColor(const QColor &color)
{
    if (m_highlight == color)
        return;
    m_highlight = color;
    update();
}

void TLbSpeedButton::setShadowColor(const QColor &color)
{
    if (m_shadow == color)
        return;
    m_shadow = color;
    update();
}

void TLbSpeedButton::setFlat(bool flat)
{
    if (m_flat == flat)
        return;
    m_flat = flat;
    update();
}

QSize TLbSpeedButton::sizeHint() const
{
    return m_flat ? QSize(36, 36) : QSize(120, 36);
}

void TLbSpeedButton::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled())
        return;
    Q_EMIT mousePressed();
    // The handler may have disabled or hidden the button (START hides itself).
    if (event->button() == Qt::LeftButton && isEnabled()) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    event->accept();
}

void TLbSpeedButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TLbSpeedButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void TLbSpeedButton::hideEvent(QHideEvent *event)
{
    // START and STOPP swap places under the mouse; a button shown again later
    // must not come back with a yellow caption.
    m_hovered = false;
    QAbstractButton::hideEvent(event);
}

void TLbSpeedButton::paintBevel(QPainter &painter, const QColor &topLeft, const QColor &bottomRight,
                                int width) const
{
    const QRect r = rect();
    if (bottomRight.isValid()) {
        painter.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), bottomRight);
        painter.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), bottomRight);
    }
    if (topLeft.isValid()) {
        // The top-left edge is drawn last and so owns the two shared corners'
        // outer pixels, as a raised edge does.
        painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, width), topLeft);
        painter.fillRect(QRect(r.left(), r.top(), width, r.height() - 1), topLeft);
    }
}

void TLbSpeedButton::paintCaption(QPainter &painter) const
{
    if (text().isEmpty())
        return;
    const bool hot = m_hovered && isEnabled();
    QFont font(u"Arial"_s);
    font.setBold(true);
    font.setPixelSize(hot ? kHoverCaptionPixelSize : kCaptionPixelSize);
    painter.setFont(font);

    QRect r = rect();
    if (isDown())
        r.translate(1, 1);
    if (!isEnabled()) {
        // Engraved like a disabled caption of the system's own buttons.
        painter.setPen(palette().color(QPalette::Active, QPalette::Light));
        painter.drawText(r.translated(1, 1), Qt::AlignCenter, text());
        painter.setPen(palette().color(QPalette::Active, QPalette::Dark));
        painter.drawText(r, Qt::AlignCenter, text());
        return;
    }
    painter.setPen(hot ? QColor(Qt::yellow) : QColor(Qt::white));
    painter.drawText(r, Qt::AlignCenter, text());
}

void TLbSpeedButton::paintAbortGlyph(QPainter &painter) const
{
    const int side = std::min(width(), height());
    const QRectF box(QPointF((width() - side) / 2.0, (height() - side) / 2.0), QSizeF(side, side));
    const QRectF cross = box.adjusted(side * 0.25, side * 0.25, -side * 0.25, -side * 0.25)
                             .translated(isDown() ? QPointF(1, 1) : QPointF(0, 0));
    QPen pen(isEnabled() ? QColor(220, 0, 0) : palette().color(QPalette::Disabled, QPalette::Text));
    pen.setWidthF(std::max(2.0, side / 7.0));
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

void TLbSpeedButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_flat) {
        if (m_hovered && isEnabled()) {
            const QColor light = palette().color(QPalette::Active, QPalette::Light);
            const QColor dark = palette().color(QPalette::Active, QPalette::Dark);
            if (isDown())
                paintBevel(painter, dark, light, 1);
            else
                paintBevel(painter, light, dark, 1);
        }
        painter.setRenderHint(QPainter::Antialiasing);
        if (icon().isNull()) {
            paintAbortGlyph(painter);
        } else {
            const QRect target = rect().adjusted(3, 3, -3, -3).translated(isDown() ? QPoint(1, 1) : QPoint());
            icon().paint(&painter, target, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        }
        paintCaption(painter);
        return;
    }

    painter.fillRect(rect(), m_face.isValid() ? m_face : palette().color(QPalette::Active, QPalette::Button));
    // Pressed, the edges swap and the face looks sunk in.
    if (isDown())
        paintBevel(painter, m_shadow, m_highlight, kBevelWidth);
    else
        paintBevel(painter, m_highlight, m_shadow, kBevelWidth);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintCaption(painter);
}

namespace {

struct CommandLook {
    QColor face;
    QColor highlight;
    std::optional<QColor> shadow; // empty: the enabled look keeps the current shadow
};

std::optional<CommandLook> enabledLook(const QString &name)
{
    if (name == u"bSTART")
        return CommandLook{QColor(0, 128, 0), QColor(192, 255, 192), QColor(0, 192, 0)};
    if (name == u"bSTOP")
        return CommandLook{QColor(255, 0, 0), QColor(255, 144, 144), QColor(192, 0, 0)};
    if (name == u"bEintragen")
        return CommandLook{QColor(0, 128, 128), QColor(0, 255, 255), std::nullopt};
    if (name == u"bNext")
        return CommandLook{QColor(0, 128, 128), QColor(0, 0, 0), std::nullopt};
    return std::nullopt;
}

} // namespace

void SetCommandButton(TLbSpeedButton *button, bool enabled)
{
    if (!button)
        return;
    button->setEnabled(enabled);
    const std::optional<CommandLook> look = enabledLook(button->objectName());
    if (!look)
        return;
    if (enabled) {
        button->setFaceColor(look->face);
        button->setHighlightColor(look->highlight);
        if (look->shadow)
            button->setShadowColor(*look->shadow);
        return;
    }
    // A disabled run button melts into the window's own button colours.
    const QPalette &pal = button->palette();
    button->setFaceColor(pal.color(QPalette::Active, QPalette::Button));
    button->setHighlightColor(pal.color(QPalette::Active, QPalette::Dark));
    button->setShadowColor(QColor());
}

} // namespace vex
