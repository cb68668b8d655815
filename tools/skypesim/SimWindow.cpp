#include "SimWindow.h"

#include <QSocketNotifier>

#include "SimLog.h"

#ifdef SKYPESIM_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

CSimWindow::CSimWindow(StateHandler handler) : m_handler(std::move(handler))
{
}

#ifdef SKYPESIM_HAVE_X11

namespace {
Display* Dpy(void* d)
{
    return static_cast<Display*>(d);
}

// The window's ICCCM state (WM_STATE, set by a window manager); -1 when there is none.
long WmState(Display* display, Window window)
{
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &items, &after, &data) ==
            Success &&
        data && items >= 1 && format == 32)
        state = reinterpret_cast<long*>(data)[0];
    if (data)
        XFree(data);
    return state;
}
} // namespace

CSimWindow::~CSimWindow()
{
    m_notifier.reset();
    if (m_display) {
        if (m_window)
            XDestroyWindow(Dpy(m_display), m_window);
        XCloseDisplay(Dpy(m_display));
    }
}

bool CSimWindow::Create()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        SimLog("WINDOW", QStringLiteral("none (no display)"));
        return false;
    }
    m_display = display;
    const int screen = DefaultScreen(display);
    // No border: the window's rectangle is exactly its geometry.
    m_window = XCreateSimpleWindow(display, RootWindow(display, screen), 100, 100, 320, 600, 0,
                                   BlackPixel(display, screen), WhitePixel(display, screen));
    XClassHint hint;
    char name[] = "skype";
    char cls[] = "tSkMainForm.UnicodeClass";
    hint.res_name = name;
    hint.res_class = cls;
    XSetClassHint(display, m_window, &hint);
    XStoreName(display, m_window, "Skype - skypesim");
    XSelectInput(display, m_window, StructureNotifyMask | PropertyChangeMask);
    XMapWindow(display, m_window);
    XFlush(display);
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { ProcessEvents(); });
    SimLog("WINDOW", QStringLiteral("shown 0x%1").arg(m_window, 0, 16));
    ProcessEvents();
    return true;
}

bool CSimWindow::Control(const QString& how)
{
    Display* display = Dpy(m_display);
    if (!m_window)
        return false;
    if (how == QLatin1String("minimize")) {
        XIconifyWindow(display, m_window, DefaultScreen(display));
        // Without a window manager nobody acts on the request; unmap it ourselves.
        if (WmState(display, m_window) < 0)
            XUnmapWindow(display, m_window);
        m_state = QStringLiteral("?"); // the next unmap reports
        XFlush(display);
    } else if (how == QLatin1String("hide")) {
        XWithdrawWindow(display, m_window, DefaultScreen(display));
        XFlush(display);
    } else if (how == QLatin1String("restore")) {
        XMapRaised(display, m_window);
        XFlush(display);
    } else if (how == QLatin1String("close")) {
        // The client quits: its window is gone.
        XDestroyWindow(display, m_window);
        XSync(display, False);
        m_window = 0;
        SimLog("WINDOW", QStringLiteral("closed"));
        return true;
    } else if (how.startsWith(QLatin1String("geometry "))) {
        const QStringList v = how.mid(9).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok = v.size() == 4;
        int n[4] = {0, 0, 0, 0};
        for (int i = 0; ok && i < 4; ++i)
            n[i] = v[i].toInt(&ok);
        if (!ok || n[2] <= 0 || n[3] <= 0)
            return false;
        XMoveResizeWindow(display, m_window, n[0], n[1], unsigned(n[2]), unsigned(n[3]));
        XSync(display, False);
        SimLog("WINDOW", QStringLiteral("geometry %1 %2 %3 %4").arg(n[0]).arg(n[1]).arg(n[2]).arg(n[3]));
        return true;
    } else {
        return false;
    }
    ProcessEvents();
    return true;
}

void CSimWindow::Report(const QString& state)
{
    if (state == m_state)
        return;
    m_state = state;
    SimLog("WINDOW", state.toLower());
    if (m_handler)
        m_handler(state);
}

void CSimWindow::ProcessEvents()
{
    Display* display = Dpy(m_display);
    if (!m_window)
        return;
    bool minimizing = m_state == QLatin1String("?");
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window != m_window)
            continue;
        if (event.type == MapNotify) {
            if (!m_state.isEmpty() && m_state != QLatin1String("?"))
                Report(QStringLiteral("NORMAL"));
            else if (m_state.isEmpty())
                m_state = QStringLiteral("NORMAL"); // first showing: not a change
        } else if (event.type == UnmapNotify) {
            const long state = WmState(display, m_window);
            // IconicState (3) from a window manager, or our own minimise without one.
            Report(state == 3 || minimizing ? QStringLiteral("MINIMIZED") : QStringLiteral("HIDDEN"));
            minimizing = false;
        }
    }
}

#else

CSimWindow::~CSimWindow() = default;

bool CSimWindow::Create()
{
    SimLog("WINDOW", QStringLiteral("none (built without X11)"));
    return false;
}

bool CSimWindow::Control(const QString&)
{
    return false;
}

void CSimWindow::ProcessEvents()
{
}

void CSimWindow::Report(const QString&)
{
}

#endif
