#include "ui/MyButtonST.h"

#include <QEnterEvent>
#include <QImage>
#include <QPainter>

#include "ui/Resources.h"

namespace {

// The disabled look: grey of the same lightness, at a little under half the opacity.
QPixmap Greyed(const QPixmap& src)
{
    QImage img = src.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 45 / 100);
        }
    }
    return QPixmap::fromImage(img);
}

} // namespace

CMyButtonST::CMyButtonST(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

bool CMyButtonST::SetBitmaps(int idNormal, int idHover, int idPressed)
{
    return SetBitmaps(ui::LoadBitmap(idNormal), idHover ? ui::LoadBitmap(idHover) : QPixmap(),
                      idPressed ? ui::LoadBitmap(idPressed) : QPixmap());
}

bool CMyButtonST::SetBitmaps(const QPixmap& normal, const QPixmap& hover, const QPixmap& pressed)
{
    m_normal = normal;
    m_hover = hover;
    m_pressed = pressed;
    m_mark = hover.isNull() && pressed.isNull();
    m_disabled = m_mark || normal.isNull() ? normal : Greyed(normal);
    if (!normal.isNull())
        resize(normal.size());
    updateGeometry();
    update();
    return !normal.isNull();
}

QSize CMyButtonST::sizeHint() const
{
    return m_normal.isNull() ? QSize(16, 16) : m_normal.size();
}

CMyButtonST::Look CMyButtonST::CurrentLook() const
{
    if (!isEnabled())
        return Look::Disabled;
    if (isDown())
        return Look::Pressed;
    if (m_hovering)
        return Look::Hover;
    return Look::Normal;
}

const QPixmap& CMyButtonST::PixmapFor(Look look) const
{
    switch (look) {
    case Look::Disabled:
        return m_disabled;
    case Look::Pressed:
        if (!m_pressed.isNull())
            return m_pressed;
        [[fallthrough]];
    case Look::Hover:
        if (!m_hover.isNull())
            return m_hover;
        [[fallthrough]];
    case Look::Normal:
        break;
    }
    return m_normal;
}

void CMyButtonST::paintEvent(QPaintEvent*)
{
    const QPixmap& pm = PixmapFor(CurrentLook());
    if (pm.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, pm);
}

void CMyButtonST::enterEvent(QEnterEvent* event)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CMyButtonST::leaveEvent(QEvent* event)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}
