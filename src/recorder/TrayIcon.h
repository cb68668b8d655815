#pragma once
// Kestrel's icon in the notification area with its menu. A left click brings the windows back;
// a right click opens the menu of the switches used most (side selection, automatic recording,
// automatic chat reply, docking) and Exit. Clicks reach the main window as WM_TRAYICON_NOTIFY
// (wParam the icon id, lParam the mouse message), so the same path runs with or without a tray
// on the desktop.
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

#include "platform/MessageWindow.h"

class CGeneralProfile;
class QMenu;

// What the tray's clicks and commands do to the rest of the program.
struct TrayActions {
    std::function<void()> leftClick;   // show the main window (and the history window)
    std::function<void()> toggleStick; // docking on or off
    std::function<void()> exit;        // abort the mixer and end the program
    std::function<void()> foreground;  // make the main window the foreground window
};

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    // Picks a command from the built menu at a screen position (right-aligned to it); 0 for none.
    using MenuTracker = std::function<int(QMenu& menu, const QPoint& at)>;

    CTrayIcon(TrayActions actions, QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Adds the icon (when the desktop has a tray) with its clicks posted to window.
    void Add(HWND window);
    // Removes the icon.
    void Delete();
    bool IsShown() const;

    void SetProfile(CGeneralProfile* profile) { m_profile = profile; }
    void SetMenuTracker(MenuTracker tracker) { m_tracker = std::move(tracker); }

    // WM_TRAYICON_NOTIFY.
    void OnNotify(WPARAM iconId, LPARAM mouseMessage);
    // Menu 146 with its check marks from the settings.
    std::unique_ptr<QMenu> BuildMenu() const;
    // Carries out a menu command; unknown commands and 0 do nothing.
    void Execute(int command);

private:
    void OnRightButtonUp();

    TrayActions m_actions;
    CGeneralProfile* m_profile = nullptr;
    QPointer<QSystemTrayIcon> m_icon;
    MenuTracker m_tracker;
};
