#pragma once
// Docking Kestrel's main window as a 45-pixel bar under the client's main window. A timer polls
// the client's window five times a second: the bar follows it, is as wide as it, and its picture
// and shape are rebuilt whenever the width changes. With docking off the same timer only watches
// whether the client's window exists, and puts the free-floating window back in its place when
// the client's window goes away.
#include <QImage>
#include <QObject>
#include <QRect>
#include <QRegion>
#include <QTimer>

#include "platform/ForeignWindow.h"
#include "platform/PlatformConstants.h"
#include "recorder/MainWindowConstants.h"

class CGeneralProfile;

// What docking does to the main window.
class IDockHost {
public:
    virtual ~IDockHost() = default;
    // The main window's client area in screen coordinates.
    virtual QRect DockHostRect() const = 0;
    // Moves and sizes the main window to the screen rectangle.
    virtual void DockHostMove(const QRect& rect) = 0;
    // Gives the main window this shape.
    virtual void DockHostShape(const QRegion& region) = 0;
    // Shows or hides the five controls of the free-floating window (1000, 1027, 1078, 1008, 1009).
    virtual void DockHostShowFloatingControls(bool show) = 0;
    // Whether control 1000 is shown (not explicitly hidden).
    virtual bool DockHostFloatingControlsShown() const = 0;
    // Keeps the history window above other windows, or not (position and size unchanged).
    virtual void DockHostHistoryTopMost(bool topMost) = 0;
    // Repaints the main window at once.
    virtual void DockHostRedraw() = 0;
    // Hides the main window; shows it in its normal state in front.
    virtual void DockHostHide() = 0;
    virtual void DockHostShowInFront() = 0;
};

class CDocking : public QObject {
    Q_OBJECT
public:
    CDocking(IDockHost& host, IForeignWindows& windows, QObject* parent = nullptr);

    // The profile whose `sticksky` docking follows and toggles.
    void SetProfile(CGeneralProfile* profile) { m_profile = profile; }
    // Loads the bar pieces (bitmaps 2012-2015).
    void LoadPieces();
    // Clears the docked flag and the client window, reads the work area, takes the main
    // window's current place as its free-floating place and starts the timer.
    void Start(int periodMs = kDockTimerMs);
    // The docked flag from `sticksky`, at the end of start-up: hides the floating controls and
    // docks when set, shows them otherwise.
    void ApplyStartupSetting();

    // Finds the client's window when none is known (showing it and bringing it forward), and
    // widens it to the minimum docking width when it is narrower.
    void DockToSkype();
    // Switches docking on or off and saves `sticksky`; switched back when there is no client.
    void ToggleStick();
    // One poll of the client's window.
    void Tick();
    // WM_SKYPE_WINDOWSTATE: 20 hides the bar, 21 shows it, while docked.
    void OnWindowState(WPARAM state);

    bool IsDocked() const { return m_docked; }
    ForeignHandle ClientWindow() const { return m_client; }
    QRect DockRect() const { return m_dockRect; }
    QRect UndockedRect() const { return m_undockedRect; }
    void SetUndockedRect(const QRect& rect) { m_undockedRect = rect; }
    QRect WorkArea() const { return m_workArea; }
    // The bar is drawn instead of the background: docked, a client window known, a bar built.
    bool ShowsBar() const { return m_docked && m_client != 0 && !m_bar.isNull(); }
    const QImage& Bar() const { return m_bar; }
    // How many times the bar picture has been built (it is rebuilt only for a new width).
    int BarBuilds() const { return m_barBuilds; }
    QTimer& Timer() { return m_timer; }
    // Where the history window of this size goes while docked: centred on the bar (never left
    // of it), its bottom on the bar's top.
    QRect HistoryPlace(const QSize& historySize) const;

    // The bar picture for width w (w >= 500) from the four pieces.
    static QImage BuildBar(int width, const QImage& left, const QImage& right, const QImage& centre,
                           const QImage& filler);
    // The window shape of a picture: the whole picture less every pixel of the key colour (white
    // for the bar, pure green for the background).
    static QRegion RegionFromBitmap(const QImage& bitmap, const QColor& key);
    // The free-floating shape: background 129 less its pure-green pixels.
    static QRegion FloatingRegion();

private:
    ForeignHandle FindClient();
    void PlaceUndocked();

    IDockHost& m_host;
    IForeignWindows& m_windows;
    CGeneralProfile* m_profile = nullptr;
    QTimer m_timer;
    bool m_docked = false;
    ForeignHandle m_client = 0;
    QRect m_dockRect;
    QRect m_undockedRect;
    QRect m_workArea;
    QImage m_bar;
    QImage m_left, m_right, m_centre, m_filler;
    int m_barBuilds = 0;
};
