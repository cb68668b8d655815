#include "ui/KCBusyProgressCtrl.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

CKCBusyProgressCtrl::CKCBusyProgressCtrl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_background = palette().color(QPalette::Button);
}

void CKCBusyProgressCtrl::ConfigureAsLevelMeter()
{
    SetNumSteps(ui::kMeterBlocks);
    SetRange(ui::kMeterLower, ui::kMeterUpper);
    SetMode(ui::kMeterModeProgress);
    SetPos(0);
}

void CKCBusyProgressCtrl::SetNumSteps(int blocks)
{
    m_blocks = std::max(1, blocks);
}

void CKCBusyProgressCtrl::SetGap(int gap)
{
    m_gap = std::max(0, gap);
}

void CKCBusyProgressCtrl::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
}

void CKCBusyProgressCtrl::SetMode(int mode) { m_mode = mode; }

void CKCBusyProgressCtrl::SetBackgroundColour(const QColor& colour)
{
    m_background = colour;
    update();
}

void CKCBusyProgressCtrl::SetFollowSystemColours(bool follow)
{
    m_followSystem = follow;
    if (follow)
        SetBackgroundColour(palette().color(QPalette::Button));
}

// The client rectangle is read again at every paint (a hidden widget's resize reaches it only
// when shown), so the blocks always fit the present size.
double CKCBusyProgressCtrl::BlockWidth() const
{
    return double(width() - m_blocks * m_gap) / m_blocks;
}

void CKCBusyProgressCtrl::resizeEvent(QResizeEvent*)
{
    m_buffer = QPixmap();
}

void CKCBusyProgressCtrl::changeEvent(QEvent* event)
{
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) &&
        m_followSystem) {
        m_background = palette().color(QPalette::Button);
        update();
    }
    QWidget::changeEvent(event);
}

void CKCBusyProgressCtrl::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (m_buffer.isNull() || m_buffer.size() != size()) {
        m_buffer = QPixmap(size());
        m_buffer.setDevicePixelRatio(1);
    }
    {
        QPainter mem(&m_buffer);
        DrawMeter(mem);
    }
    QPainter screen(this);
    screen.drawPixmap(0, 0, m_buffer);
}

// One GDI-style rectangle: a one-pixel border in `border` around a `fill` inside; right and
// bottom are exclusive.
static void Block(QPainter& p, int left, int top, int right, int bottom, const QColor& border, const QColor& fill)
{
    if (right <= left || bottom <= top)
        return;
    p.fillRect(left, top, right - left, bottom - top, border);
    if (right - left > 2 && bottom - top > 2)
        p.fillRect(left + 1, top + 1, right - left - 2, bottom - top - 2, fill);
}

void CKCBusyProgressCtrl::DrawMeter(QPainter& p) const
{
    p.fillRect(0, 0, width(), height(), m_background);
    // Only the progress mode shows a value; any other mode shows the unlit row.
    // f = position / (upper - lower) * N; the position is not reduced by the lower bound. A range
    // of zero width or a negative position lights nothing; f is held to N + 1 so that a huge
    // value cannot overflow the truncation (every block is lit either way).
    double f = 0;
    const int span = m_upper - m_lower;
    if (m_mode == ui::kMeterModeProgress && span != 0)
        f = double(m_pos) / double(span) * m_blocks;
    if (!(f > 0))
        f = 0;
    f = std::min(f, double(m_blocks + 1));
    const int g = int(f);
    const double blockWidth = BlockWidth();
    const int e = int((f - g) * blockWidth);

    const int bottom = height();
    double x = 0;
    for (int i = 0; i < m_blocks; ++i) {
        const int left = int(x);
        const int right = int(x + blockWidth);
        if (i < g) {
            Block(p, left, 0, right, bottom, ui::kMeterOnBorder, ui::kMeterOnFill);
        } else {
            Block(p, left, 0, right, bottom, ui::kMeterOffBorder, ui::kMeterOffFill);
            if (i == g && e > 0) {
                const int inLeft = left + 1, inRight = right - 1;
                const int edgeRight = std::min(inLeft + e, inRight);
                if (edgeRight > inLeft && bottom - 2 > 0)
                    p.fillRect(inLeft, 1, edgeRight - inLeft, bottom - 2, ui::kMeterOnFill);
            }
        }
        x += m_gap + blockWidth;
    }
}
