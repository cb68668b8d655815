#include "ui/LabelEx.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/Resources.h"

namespace {
constexpr int kIconTextGap = 4;
}

CLabelEx::CLabelEx(QWidget* parent) : QWidget(parent) {}

void CLabelEx::SetText(const QString& text)
{
    m_text = text;
    updateGeometry();
    update();
}

void CLabelEx::SetTextColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

bool CLabelEx::SetIconStrip(int bitmapId, int iconSize)
{
    SetIconStrip(ui::LoadBitmap(bitmapId), iconSize);
    return !m_strip.isNull();
}

void CLabelEx::SetIconStrip(const QPixmap& strip, int iconSize)
{
    m_strip = strip;
    m_iconSize = iconSize > 0 ? iconSize : 16;
    updateGeometry();
    update();
}

void CLabelEx::SetIcon(int index)
{
    m_icon = index;
    updateGeometry();
    update();
}

bool CLabelEx::HasIcon() const
{
    return !m_strip.isNull() && m_icon >= 0 && (m_icon + 1) * m_iconSize <= m_strip.width();
}

void CLabelEx::SetLink(bool link)
{
    if (link)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

QRect CLabelEx::IconRect() const
{
    if (!HasIcon())
        return {};
    return QRect(0, (height() - m_iconSize) / 2, m_iconSize, m_iconSize);
}

QRect CLabelEx::TextRect() const
{
    const int left = HasIcon() ? m_iconSize + kIconTextGap : 0;
    return QRect(left, 0, qMax(0, width() - left), height());
}

QSize CLabelEx::sizeHint() const
{
    const QFontMetrics fm(font());
    const int icon = HasIcon() ? m_iconSize + kIconTextGap : 0;
    return QSize(icon + fm.horizontalAdvance(m_text) + 2, qMax(fm.height(), HasIcon() ? m_iconSize : 0));
}

void CLabelEx::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (HasIcon())
        p.drawPixmap(IconRect().topLeft(), m_strip, QRect(m_icon * m_iconSize, 0, m_iconSize, m_iconSize));
    const QRect tr = TextRect();
    p.setPen(m_colour);
    p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(m_text, Qt::ElideRight, tr.width()));
}

void CLabelEx::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void CLabelEx::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (!click)
        return;
    emit clicked();
    if (m_onClick)
        m_onClick();
}
