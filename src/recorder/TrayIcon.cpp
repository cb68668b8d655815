#include "recorder/TrayIcon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include "recorder/MainWindowConstants.h"
#include "settings/GeneralProfile.h"
#include "ui/Resources.h"

namespace {

struct MenuItem {
    int command; // 0: separator
    const char* text;
};

// Menu 146, its first pop-up, in display order.
constexpr MenuItem kTrayMenu[] = {
    {ID_TRAY_STICK, "Stick to Skype"},
    {0, nullptr},
    {ID_TRAY_MY_SIDE, "Only Record My Side"},
    {ID_TRAY_REMOTE_SIDE, "Only Record Remote Side"},
    {ID_TRAY_BOTH_SIDES, "Record Both Sides"},
    {ID_TRAY_AUTO_RECORD, "Enable Auto Recording"},
    {0, nullptr},
    {ID_TRAY_CHAT_REPLY, "Enable Auto Chat Reply"},
    {0, nullptr},
    {ID_TRAY_EXIT, "Exit"},
};

// The menu's own run: at the cursor, its right edge on the cursor; the chosen command back.
int TrackAtCursor(QMenu& menu, const QPoint& at)
{
    const QPoint topLeft(at.x() - menu.sizeHint().width(), at.y());
    QAction* chosen = menu.exec(topLeft);
    return chosen ? chosen->data().toInt() : 0;
}

} // namespace

CTrayIcon::CTrayIcon(TrayActions actions, QObject* parent)
    : QObject(parent), m_actions(std::move(actions)), m_tracker(TrackAtCursor)
{
}

CTrayIcon::~CTrayIcon()
{
    Delete();
}

void CTrayIcon::Add(HWND window)
{
    // Without a tray on the desktop there is no icon; Kestrel runs on without it.
    if (m_icon || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_icon = new QSystemTrayIcon(ui::LoadAppIcon(), this);
    m_icon->setToolTip(QString::fromLatin1(kTrayTip).left(kTrayTipMaxChars));
    connect(m_icon, &QSystemTrayIcon::activated, this, [window](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            PostMessage(window, WM_TRAYICON_NOTIFY, kTrayIconId, WM_LBUTTONUP);
        else if (reason == QSystemTrayIcon::Context)
            PostMessage(window, WM_TRAYICON_NOTIFY, kTrayIconId, WM_RBUTTONUP);
    });
    m_icon->show();
}

void CTrayIcon::Delete()
{
    if (m_icon) {
        m_icon->hide();
        delete m_icon;
    }
}

bool CTrayIcon::IsShown() const
{
    return m_icon && m_icon->isVisible();
}

void CTrayIcon::OnNotify(WPARAM iconId, LPARAM mouseMessage)
{
    if (iconId != kTrayIconId)
        return;
    if (mouseMessage == WM_LBUTTONUP) {
        if (m_actions.leftClick)
            m_actions.leftClick();
    } else if (mouseMessage == WM_RBUTTONUP) {
        OnRightButtonUp();
    }
}

std::unique_ptr<QMenu> CTrayIcon::BuildMenu() const
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QString::number(IDR_TRAY_MENU));
    for (const MenuItem& item : kTrayMenu) {
        if (!item.command) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(item.text));
        action->setData(item.command);
        bool checked = false;
        if (m_profile) {
            switch (item.command) {
            case ID_TRAY_STICK: checked = m_profile->sticksky; break;
            case ID_TRAY_MY_SIDE: checked = m_profile->recside == 1; break;
            case ID_TRAY_REMOTE_SIDE: checked = m_profile->recside != 0 && m_profile->recside != 1; break;
            case ID_TRAY_BOTH_SIDES: checked = m_profile->recside == 0; break;
            case ID_TRAY_AUTO_RECORD: checked = m_profile->rectype; break;
            case ID_TRAY_CHAT_REPLY: checked = m_profile->chatreply; break;
            default: break;
            }
        }
        if (checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
    return menu;
}

void CTrayIcon::OnRightButtonUp()
{
    const QPoint at = QCursor::pos();
    std::unique_ptr<QMenu> menu = BuildMenu();
    if (m_actions.foreground)
        m_actions.foreground();
    const int command = m_tracker ? m_tracker(*menu, at) : 0;
    menu.reset();
    Execute(command);
}

void CTrayIcon::Execute(int command)
{
    auto save = [this] {
        m_profile->SetChanged();
        m_profile->Save();
    };
    switch (command) {
    case ID_TRAY_EXIT:
        if (m_actions.exit)
            m_actions.exit();
        return;
    case ID_TRAY_STICK:
        if (m_actions.toggleStick)
            m_actions.toggleStick();
        return;
    default: break;
    }
    if (!m_profile)
        return;
    switch (command) {
    case ID_TRAY_CHAT_REPLY:
        m_profile->chatreply = !m_profile->chatreply;
        save();
        break;
    case ID_TRAY_AUTO_RECORD:
        m_profile->rectype = !m_profile->rectype;
        save();
        break;
    case ID_TRAY_BOTH_SIDES:
        m_profile->recside = 0;
        save();
        break;
    case ID_TRAY_REMOTE_SIDE:
        m_profile->recside = 2;
        save();
        break;
    case ID_TRAY_MY_SIDE:
        m_profile->recside = 1;
        save();
        break;
    default: break;
    }
}
