#pragma once
// CMyButtonST: a bitmap button with hover and pressed looks and a tooltip.
//
// The state bitmaps are given as (normal, hover, pressed):
// - normal: the button at rest, and the base of the disabled look, which is the normal bitmap
//   greyed and faded;
// - hover: the mouse is over the enabled button (the normal bitmap when none is given);
// - pressed: the left button is held down on it (the hover bitmap when none is given).
// A button given only a normal bitmap is a mark (the microphone and speaker marks beside the
// meters): it looks the same in every state, disabled included.
// The bitmaps carry alpha; whatever lies under the button shows through.
#include <QAbstractButton>
#include <QPixmap>

class CMyButtonST : public QAbstractButton {
    Q_OBJECT
public:
    enum class Look { Normal, Hover, Pressed, Disabled };

    explicit CMyButtonST(QWidget* parent = nullptr);

    // Bitmaps by resource number (ui::IDB_*); 0 leaves a state without its own bitmap. The
    // button takes the normal bitmap's size. False when the normal bitmap does not exist.
    bool SetBitmaps(int idNormal, int idHover = 0, int idPressed = 0);
    bool SetBitmaps(const QPixmap& normal, const QPixmap& hover = QPixmap(), const QPixmap& pressed = QPixmap());
    void SetTooltipText(const QString& text) { setToolTip(text); }
    QString TooltipText() const { return toolTip(); }

    // The look the button paints now.
    Look CurrentLook() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const QPixmap& PixmapFor(Look look) const;

    QPixmap m_normal, m_hover, m_pressed, m_disabled;
    bool m_mark = false;
    bool m_hovering = false;
};
