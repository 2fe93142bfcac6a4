#pragma once

#include <QAbstractButton>
#include <QColor>

namespace vex {

// The large command buttons of the main window (START, STOPP, Eintragen,
// Nächster, Einstellungen) and the flat picture button for Abbruch.
//
// The face and the two bevel edges are painted by hand in the colours set by
// SetCommandButton; an invalid edge colour leaves that edge out. The buttons
// never take the keyboard focus, so the focus stays in the entry fields.
//
// mousePressed() is emitted when any mouse button goes down on an enabled
// button; the run commands act on that. clicked() keeps its usual meaning
// (left button pressed and released on the button).
class TLbSpeedButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QColor faceColor READ faceColor WRITE setFaceColor)
    Q_PROPERTY(QColor highlightColor READ highlightColor WRITE setHighlightColor)
    Q_PROPERTY(QColor shadowColor READ shadowColor WRITE setShadowColor)
    Q_PROPERTY(bool flat READ isFlat WRITE setFlat)
public:
    static constexpr int kCaptionPixelSize = 19;
    static constexpr int kHoverCaptionPixelSize = 21;
    static constexpr int kBevelWidth = 2;

    explicit TLbSpeedButton(QWidget *parent = nullptr);
    explicit TLbSpeedButton(const QString &caption, QWidget *parent = nullptr);

    QColor faceColor() const { return m_face; }
    void setFaceColor(const QColor &color);
    QColor highlightColor() const { return m_highlight; }
    void setHighlightColor(const QColor &color);
    QColor shadowColor() const { return m_shadow; }
    void setShadowColor(const QColor &color);

    // A flat button has no face of its own and shows its icon, or a red
    // cross when it has none; it raises a thin edge under the mouse.
    bool isFlat() const { return m_flat; }
    void setFlat(bool flat);

    QSize sizeHint() const override;

Q_SIGNALS:
    void mousePressed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void paintBevel(QPainter &painter, const QColor &topLeft, const QColor &bottomRight, int width) const;
    void paintCaption(QPainter &painter) const;
    void paintAbortGlyph(QPainter &painter) const;

    QColor m_face;
    QColor m_highlight;
    QColor m_shadow;
    bool m_flat = false;
    bool m_hovered = false;
};

// Enables or disables one of the four run buttons and gives it the colours of
// that state, chosen by the button's objectName(): bSTART, bSTOP, bEintragen,
// bNext. Any other button only changes its enabled state.
void SetCommandButton(TLbSpeedButton *button, bool enabled);

} // namespace vex
