#pragma once
// Moving a captionless window by pressing anywhere on its background: the window manager moves it
// where it can, otherwise the window follows the mouse itself.
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>
#include <QWindow>

namespace ui {

class CBackgroundDrag {
public:
    // From the window's mouse handlers; each returns true when it took the event.
    bool Press(QWidget* window, QMouseEvent* event)
    {
        if (event->button() != Qt::LeftButton)
            return false;
        event->accept();
        if (window->windowHandle() && window->windowHandle()->startSystemMove())
            return true;
        m_dragging = true;
        m_offset = event->globalPosition().toPoint() - window->frameGeometry().topLeft();
        return true;
    }
    bool Move(QWidget* window, QMouseEvent* event)
    {
        if (!m_dragging || !(event->buttons() & Qt::LeftButton))
            return false;
        window->move(event->globalPosition().toPoint() - m_offset);
        event->accept();
        return true;
    }
    void Release() { m_dragging = false; }

private:
    bool m_dragging = false;
    QPoint m_offset;
};

} // namespace ui
