#pragma once
// Another program's top-level window (the client's main window, for docking). On X11 the
// windows are reached through Xlib; under Wayland, offscreen or in a build without X11 there is
// no access to other programs' windows and every lookup answers "not found".
//
// Handles are X11 window ids; 0 is "none". Rectangles are in screen coordinates and include
// the window manager's frame when one is drawn.
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>

using ForeignHandle = std::uint64_t;

class IForeignWindows {
public:
    virtual ~IForeignWindows() = default;
    // The first top-level window whose WM_CLASS class is exactly cls; 0 when there is none.
    virtual ForeignHandle FindByClass(const QString& cls) = 0;
    // The window's rectangle; false when the window is gone or cannot be read.
    virtual bool GetRect(ForeignHandle window, QRect& rect) = 0;
    // Moves and resizes the window to rect.
    virtual bool SetRect(ForeignHandle window, const QRect& rect) = 0;
    // Shows the window in its normal state (mapped) and raises it.
    virtual void Restore(ForeignHandle window) = 0;
    // Asks the window manager to make the window the active one.
    virtual void SetForeground(ForeignHandle window) = 0;
    // The desktop's work area (the screen less panels); empty when unknown.
    virtual QRect WorkArea() = 0;
};

namespace ForeignWindows {

// The access the current platform allows: X11 when Qt runs on the xcb platform and a display
// opens, otherwise the "not found" access.
std::unique_ptr<IForeignWindows> Create();
// The access that never finds a window (Wayland, offscreen). Its work area is the primary
// screen's available geometry.
std::unique_ptr<IForeignWindows> CreateNone();

} // namespace ForeignWindows
