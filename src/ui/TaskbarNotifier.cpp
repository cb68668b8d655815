#include "ui/TaskbarNotifier.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <QTimerEvent>

#include <algorithm>

#include "ui/Resources.h"

CTaskbarNotifier::CTaskbarNotifier() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
}

CTaskbarNotifier::~CTaskbarNotifier()
{
    for (const auto& [id, timer] : m_timers)
        killTimer(timer.first);
}

bool CTaskbarNotifier::Create(QWidget* owner, HWND ownerHandle)
{
    m_owner = owner;
    m_ownerHandle = ownerHandle;
    // A popup of its owner: no frame, above other windows, never takes the focus.
    setParent(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setGeometry(0, 0, 0, 0);
    return true;
}

bool CTaskbarNotifier::SetSkin()
{
    return SetSkin(ui::LoadBitmapImage(ui::IDB_POPUP_SKIN));
}

bool CTaskbarNotifier::SetSkin(const QImage& skin)
{
    if (skin.isNull())
        return false;
    m_skin = QPixmap::fromImage(skin);
    m_skinWidth = skin.width();
    m_skinHeight = skin.height();
    m_textRect = QRect(0, 0, m_skinWidth, m_skinHeight);
    m_skinRegion = ui::RegionFromImage(skin, ui::kPopupKey);
    setMask(m_skinRegion);
    update();
    return true;
}

void CTaskbarNotifier::SetTextFont()
{
    QFont font(ui::kPopupFontFamily);
    font.setPointSize(ui::kPopupFontPoints);
    font.setWeight(QFont::Weight(ui::kPopupFontWeight));
    font.setItalic(false);
    font.setUnderline(false);
    m_normalFont = font;
    m_hoverFont = font;
    update();
}

void CTaskbarNotifier::SetTextColours(const QColor& normal, const QColor& hover)
{
    m_normalColour = normal;
    m_hoverColour = hover;
    update();
}

CTaskbarNotifier::TaskbarSide CTaskbarNotifier::FindTaskbarSide(const QRect& work, const QRect& screen)
{
    if (work.width() < screen.width())
        return work.left() == screen.left() ? SideRight : SideLeft;
    if (work.height() < screen.height() && work.top() != screen.top())
        return SideTop;
    return SideBottom; // also an auto-hidden task bar
}

CTaskbarNotifier::ScreenGeometry CTaskbarNotifier::ReadGeometry() const
{
    if (m_geometryHook)
        return m_geometryHook();
    QScreen* screen = m_owner && m_owner->screen() ? m_owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {screen->availableGeometry(), screen->geometry()};
}

void CTaskbarNotifier::Show(const QString& text)
{
    m_text = text;
    m_timeToShow = m_timings.showMs;
    m_timeToStay = m_timings.stayMs;
    m_timeToHide = m_timings.hideMs;

    const ScreenGeometry g = ReadGeometry();
    const int workLeft = g.work.left(), workTop = g.work.top();
    const int workRight = g.work.left() + g.work.width(), workBottom = g.work.top() + g.work.height();
    const TaskbarSide side = FindTaskbarSide(g.work, g.screen);

    switch (m_state) {
    case Hidden: {
        m_side = side;
        const bool sideways = side == SideLeft || side == SideRight;
        // A skin shorter than two steps still moves: one step.
        const unsigned steps = unsigned(std::max(1, (sideways ? m_skinWidth : m_skinHeight) / m_step));
        m_showStepInterval = m_timeToShow / steps;
        m_hideStepInterval = m_timeToHide / steps;
        switch (side) {
        case SideRight:
            m_startX = workRight;
            m_startY = workBottom - m_skinHeight;
            break;
        case SideLeft:
            m_startX = workLeft - m_skinWidth;
            m_startY = workBottom - m_skinHeight;
            break;
        case SideTop:
            m_startX = workRight - m_skinWidth;
            m_startY = workTop - m_skinHeight;
            break;
        default:
            m_startX = workRight - m_skinWidth - 2;
            m_startY = workBottom;
            break;
        }
        m_currentX = m_startX;
        m_currentY = m_startY;
        PlaceAtCurrent(); // out of sight at the start position, then shown
        show();
        SetTimer(ui::IDT_APPEARING, m_showStepInterval);
        break;
    }
    case Appearing:
        update();
        break;
    case Showing:
        update();
        // The stay may just have ended with the slide back not yet begun: it has not.
        KillTimer(ui::IDT_DISAPPEARING);
        SetTimer(ui::IDT_WAITING, m_timeToStay);
        break;
    case Disappearing:
        KillTimer(ui::IDT_DISAPPEARING);
        SetTimer(ui::IDT_WAITING, m_timeToStay);
        switch (m_side) {
        case SideRight: m_currentX = workRight - m_skinWidth; break;
        case SideLeft: m_currentX = workLeft; break;
        case SideTop: m_currentY = workTop; break;
        default: m_currentY = workBottom - m_skinHeight; break;
        }
        PlaceAtCurrent();
        update();
        break;
    }
}

void CTaskbarNotifier::Hide()
{
    // Every animation timer ends here, whatever the state (a Show that has not ticked yet, or
    // a stay that ended just before the slide back, leaves a timer of another state running).
    KillTimer(ui::IDT_APPEARING);
    KillTimer(ui::IDT_WAITING);
    KillTimer(ui::IDT_DISAPPEARING);
    hide(); // it keeps its place: the next Show places it before showing it
    m_state = Hidden;
}

void CTaskbarNotifier::OnTimer(int id)
{
    switch (id) {
    case ui::IDT_APPEARING: {
        m_state = Appearing;
        bool moved = true;
        switch (m_side) {
        case SideBottom:
            if (m_currentY > m_startY - m_skinHeight) m_currentY -= m_step; else moved = false;
            break;
        case SideTop:
            if (m_currentY - m_startY < m_skinHeight) m_currentY += m_step; else moved = false;
            break;
        case SideLeft:
            if (m_currentX - m_startX < m_skinWidth) m_currentX += m_step; else moved = false;
            break;
        case SideRight:
            if (m_currentX > m_startX - m_skinWidth) m_currentX -= m_step; else moved = false;
            break;
        default:
            moved = false;
            break;
        }
        if (!moved) {
            KillTimer(ui::IDT_APPEARING);
            SetTimer(ui::IDT_WAITING, m_timeToStay);
            m_state = Showing;
        }
        PlaceAtCurrent();
        break;
    }
    case ui::IDT_WAITING:
        KillTimer(ui::IDT_WAITING);
        SetTimer(ui::IDT_DISAPPEARING, m_hideStepInterval);
        break;
    case ui::IDT_DISAPPEARING: {
        m_state = Disappearing;
        bool moved = true;
        switch (m_side) {
        case SideBottom:
            if (m_currentY < m_startY) m_currentY += m_step; else moved = false;
            break;
        case SideTop:
            if (m_currentY > m_startY) m_currentY -= m_step; else moved = false;
            break;
        case SideLeft:
            if (m_currentX > m_startX) m_currentX -= m_step; else moved = false;
            break;
        case SideRight:
            if (m_currentX < m_startX) m_currentX += m_step; else moved = false;
            break;
        default:
            moved = false;
            break;
        }
        if (!moved) {
            KillTimer(ui::IDT_DISAPPEARING);
            Hide();
        }
        PlaceAtCurrent(); // a hidden popup keeps its last place
        break;
    }
    default:
        break;
    }
}

void CTaskbarNotifier::PlaceAtCurrent()
{
    setGeometry(m_currentX, m_currentY, m_skinWidth, m_skinHeight);
}

void CTaskbarNotifier::SetTimer(int id, unsigned periodMs)
{
    KillTimer(id); // as a window timer: setting it again replaces it
    m_timers[id] = {startTimer(int(std::min<unsigned>(periodMs, 0x7FFFFFFF)), Qt::PreciseTimer), periodMs};
}

void CTaskbarNotifier::KillTimer(int id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    killTimer(it->second.first);
    m_timers.erase(it);
}

unsigned CTaskbarNotifier::TimerPeriod(int id) const
{
    auto it = m_timers.find(id);
    return it == m_timers.end() ? 0 : it->second.second;
}

void CTaskbarNotifier::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, timer] : m_timers) {
        if (timer.first == event->timerId()) {
            OnTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void CTaskbarNotifier::SetMouseOver(bool over)
{
    if (m_mouseOver == over)
        return;
    m_mouseOver = over;
    repaint();
}

void CTaskbarNotifier::enterEvent(QEnterEvent* event)
{
    SetMouseOver(true);
    QWidget::enterEvent(event);
}

void CTaskbarNotifier::mouseMoveEvent(QMouseEvent* event)
{
    SetMouseOver(true);
    QWidget::mouseMoveEvent(event);
}

void CTaskbarNotifier::leaveEvent(QEvent* event)
{
    SetMouseOver(false);
    QWidget::leaveEvent(event);
}

void CTaskbarNotifier::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_ownerHandle != kNoWindow)
            PostMessage(m_ownerHandle, ui::WM_NOTIFIER_CLICKED, 0, 0);
        emit clicked();
    }
    QWidget::mouseReleaseEvent(event);
}

void CTaskbarNotifier::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_skin.isNull())
        p.drawPixmap(0, 0, m_skin);
    DrawText(p);
}

// The text centred in the text rectangle, broken at words; when it does not fit, the last line
// that fits ends with an ellipsis. Nothing is drawn outside the rectangle.
void CTaskbarNotifier::DrawText(QPainter& p) const
{
    const QRect r = m_textRect;
    if (m_text.isEmpty() || r.width() <= 0 || r.height() <= 0)
        return;
    const QFont& font = m_mouseOver ? m_hoverFont : m_normalFont;
    p.setFont(font);
    p.setPen(m_mouseOver ? m_hoverColour : m_normalColour);
    p.setClipRect(r);
    const QFontMetrics fm(font, this);

    QTextLayout layout(m_text, font, this);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    struct Line { int start, length; };
    std::vector<Line> lines;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(r.width());
        lines.push_back({line.textStart(), line.textLength()});
    }
    layout.endLayout();

    const int lineHeight = fm.lineSpacing();
    const int fit = std::max(1, std::min<int>(int(lines.size()), r.height() / std::max(1, lineHeight)));
    QStringList shown;
    for (int i = 0; i < fit; ++i) {
        const Line& l = lines[size_t(i)];
        const bool last = i + 1 == fit;
        // The last line shown carries the rest of the text; the ellipsis marks what is left out.
        QString text = (last ? m_text.mid(l.start) : m_text.mid(l.start, l.length)).trimmed();
        if (last)
            text = fm.elidedText(text, Qt::ElideRight, r.width());
        shown << text;
    }
    const int blockHeight = fit * lineHeight;
    int y = r.top() + (r.height() - blockHeight) / 2;
    for (const QString& line : shown) {
        p.drawText(QRect(r.left(), y, r.width(), lineHeight), Qt::AlignHCenter | Qt::AlignVCenter, line);
        y += lineHeight;
    }
}
