#include "platform/ForeignWindow.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <vector>

#ifdef KESTREL_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace {

QRect PrimaryAvailableGeometry()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// No access to other programs' windows: nothing is ever found.
class CNoForeignWindows final : public IForeignWindows {
public:
    ForeignHandle FindByClass(const QString&) override { return 0; }
    bool GetRect(ForeignHandle, QRect&) override { return false; }
    bool SetRect(ForeignHandle, const QRect&) override { return false; }
    void Restore(ForeignHandle) override {}
    void SetForeground(ForeignHandle) override {}
    QRect WorkArea() override { return PrimaryAvailableGeometry(); }
};

#ifdef KESTREL_HAVE_X11

// Requests on a window that has gone away fail with BadWindow; Xlib's default handler would end
// the program. Errors are caught around every request that may meet one.
int g_trappedError = 0;
int TrapError(Display*, XErrorEvent* event)
{
    g_trappedError = event->error_code;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display)
    {
        XSync(m_display, False);
        g_trappedError = 0;
        m_previous = XSetErrorHandler(TrapError);
    }
    ~ErrorTrap()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    bool Failed()
    {
        XSync(m_display, False);
        return g_trappedError != 0;
    }

private:
    Display* m_display;
    XErrorHandler m_previous = nullptr;
};

class CX11ForeignWindows final : public IForeignWindows {
public:
    explicit CX11ForeignWindows(Display* display) : m_display(display) {}
    ~CX11ForeignWindows() override { XCloseDisplay(m_display); }

    ForeignHandle FindByClass(const QString& cls) override
    {
        ErrorTrap trap(m_display);
        const QByteArray wanted = cls.toLatin1();
        const Window root = DefaultRootWindow(m_display);
        // A window manager lists its clients; without one the top-level windows are the root's
        // children (and, under a reparenting manager without the list, their children).
        std::vector<unsigned long> clients = CardinalList(root, "_NET_CLIENT_LIST", XA_WINDOW);
        for (unsigned long w : clients)
            if (HasClass(w, wanted))
                return w;
        for (Window top : Children(root)) {
            if (HasClass(top, wanted))
                return top;
            for (Window child : Children(top))
                if (HasClass(child, wanted))
                    return child;
        }
        return 0;
    }

    bool GetRect(ForeignHandle handle, QRect& rect) override
    {
        if (!handle)
            return false;
        ErrorTrap trap(m_display);
        const Window window = static_cast<Window>(handle);
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(m_display, window, &attributes) || trap.Failed())
            return false;
        int x = 0, y = 0;
        Window child = 0;
        if (!XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child) ||
            trap.Failed())
            return false;
        const Extents e = FrameExtents(window);
        const int bw = attributes.border_width;
        rect = QRect(x - bw - e.left, y - bw - e.top, attributes.width + 2 * bw + e.left + e.right,
                     attributes.height + 2 * bw + e.top + e.bottom);
        return true;
    }

    bool SetRect(ForeignHandle handle, const QRect& rect) override
    {
        if (!handle)
            return false;
        ErrorTrap trap(m_display);
        const Window window = static_cast<Window>(handle);
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(m_display, window, &attributes) || trap.Failed())
            return false;
        const Extents e = FrameExtents(window);
        const int bw = attributes.border_width;
        const int w = std::max(1, rect.width() - 2 * bw - e.left - e.right);
        const int h = std::max(1, rect.height() - 2 * bw - e.top - e.bottom);
        XMoveResizeWindow(m_display, window, rect.x(), rect.y(), unsigned(w), unsigned(h));
        return !trap.Failed();
    }

    void Restore(ForeignHandle handle) override
    {
        if (!handle)
            return;
        ErrorTrap trap(m_display);
        XMapRaised(m_display, static_cast<Window>(handle));
    }

    void SetForeground(ForeignHandle handle) override
    {
        if (!handle)
            return;
        ErrorTrap trap(m_display);
        const Window root = DefaultRootWindow(m_display);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = static_cast<Window>(handle);
        event.xclient.message_type = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1; // from an application
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XRaiseWindow(m_display, static_cast<Window>(handle));
    }

    QRect WorkArea() override
    {
        ErrorTrap trap(m_display);
        const Window root = DefaultRootWindow(m_display);
        const std::vector<unsigned long> area = CardinalList(root, "_NET_WORKAREA", XA_CARDINAL);
        if (area.size() >= 4) {
            std::size_t desktop = 0;
            const std::vector<unsigned long> current = CardinalList(root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
            if (!current.empty() && area.size() >= 4 * (current[0] + 1))
                desktop = current[0];
            const unsigned long* a = area.data() + 4 * desktop;
            return QRect(int(a[0]), int(a[1]), int(a[2]), int(a[3]));
        }
        return PrimaryAvailableGeometry();
    }

private:
    struct Extents {
        int left = 0, right = 0, top = 0, bottom = 0;
    };

    std::vector<unsigned long> CardinalList(Window window, const char* property, Atom type)
    {
        std::vector<unsigned long> values;
        Atom actualType = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, window, XInternAtom(m_display, property, False), 0, 4096, False, type,
                               &actualType, &format, &items, &after, &data) == Success &&
            data && format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            values.assign(longs, longs + items);
        }
        if (data)
            XFree(data);
        return values;
    }

    std::vector<Window> Children(Window window)
    {
        std::vector<Window> result;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(m_display, window, &root, &parent, &children, &count)) {
            result.assign(children, children + count);
            if (children)
                XFree(children);
        }
        return result;
    }

    bool HasClass(Window window, const QByteArray& wanted)
    {
        XClassHint hint{};
        if (!XGetClassHint(m_display, window, &hint))
            return false;
        const bool match = hint.res_class && wanted == hint.res_class;
        if (hint.res_name)
            XFree(hint.res_name);
        if (hint.res_class)
            XFree(hint.res_class);
        return match;
    }

    Extents FrameExtents(Window window)
    {
        Extents e;
        const std::vector<unsigned long> v = CardinalList(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
        if (v.size() >= 4) {
            e.left = int(v[0]);
            e.right = int(v[1]);
            e.top = int(v[2]);
            e.bottom = int(v[3]);
        }
        return e;
    }

    Display* m_display;
};

#endif

} // namespace

namespace ForeignWindows {

std::unique_ptr<IForeignWindows> CreateNone()
{
    return std::make_unique<CNoForeignWindows>();
}

std::unique_ptr<IForeignWindows> Create()
{
#ifdef KESTREL_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (Display* display = XOpenDisplay(nullptr))
            return std::make_unique<CX11ForeignWindows>(display);
    }
#endif
    return CreateNone();
}

} // namespace ForeignWindows
