#include "recorder/Docking.h"

#include <QPainter>
#include <QVector>

#include <algorithm>

#include "recorder/MainWindowConstants.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeConstants.h"
#include "ui/Resources.h"

CDocking::CDocking(IDockHost& host, IForeignWindows& windows, QObject* parent)
    : QObject(parent), m_host(host), m_windows(windows)
{
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CDocking::Tick);
}

void CDocking::LoadPieces()
{
    m_left = ui::LoadBitmapImage(ui::IDB_BAR_LEFT);
    m_right = ui::LoadBitmapImage(ui::IDB_BAR_RIGHT);
    m_filler = ui::LoadBitmapImage(ui::IDB_BAR_FILLER);
    m_centre = ui::LoadBitmapImage(ui::IDB_BAR_CENTRE);
}

void CDocking::Start(int periodMs)
{
    m_docked = false;
    m_client = 0;
    m_workArea = m_windows.WorkArea();
    m_undockedRect = m_host.DockHostRect();
    m_timer.start(periodMs);
}

void CDocking::ApplyStartupSetting()
{
    m_docked = m_profile && m_profile->sticksky;
    m_host.DockHostShowFloatingControls(!m_docked);
    if (m_docked)
        DockToSkype();
}

ForeignHandle CDocking::FindClient()
{
    ForeignHandle found = m_windows.FindByClass(QString::fromLatin1(kClientWindowClass));
    if (!found)
        found = m_windows.FindByClass(QString::fromLatin1(kClientWindowClassOld));
    return found;
}

void CDocking::DockToSkype()
{
    if (!m_client) {
        m_client = FindClient();
        if (m_client) {
            m_windows.Restore(m_client);
            m_windows.SetForeground(m_client);
        }
    }
    QRect r;
    if (!m_client || !m_windows.GetRect(m_client, r))
        return;
    if (r.width() < kDockMinClientWidth)
        m_windows.SetRect(m_client, QRect(r.x(), r.y(), kDockWidenedWidth, r.height()));
}

void CDocking::ToggleStick()
{
    if (!m_profile)
        return;
    m_profile->sticksky = !m_profile->sticksky;
    m_docked = m_profile->sticksky;
    m_profile->SetChanged();
    m_profile->Save();
    if (m_docked) {
        DockToSkype();
        if (!m_client) {
            // No client to dock to: the setting goes back.
            m_profile->sticksky = !m_profile->sticksky;
            m_docked = m_profile->sticksky;
            m_profile->Save();
            return;
        }
        // Before the first bar of the run there is no docked place yet; the next tick puts the
        // bar there, so the window stays where it is until then.
        if (!m_dockRect.isEmpty())
            m_host.DockHostMove(m_dockRect);
        if (!m_bar.isNull())
            m_host.DockHostShape(RegionFromBitmap(m_bar, ui::kDockBarKey));
        m_host.DockHostShowFloatingControls(false);
        m_host.DockHostHistoryTopMost(true);
    } else {
        m_host.DockHostMove(m_undockedRect);
        m_host.DockHostShape(FloatingRegion());
        m_host.DockHostShowFloatingControls(true);
        m_host.DockHostHistoryTopMost(false);
    }
    m_host.DockHostRedraw();
}

void CDocking::PlaceUndocked()
{
    m_host.DockHostMove(m_undockedRect);
    m_host.DockHostShape(FloatingRegion());
    m_host.DockHostShowFloatingControls(true);
    m_host.DockHostHistoryTopMost(false);
    m_host.DockHostRedraw();
}

void CDocking::Tick()
{
    if (!m_client) {
        m_client = FindClient();
        if (m_client) {
            m_windows.Restore(m_client);
            m_windows.SetForeground(m_client);
            if (m_docked && m_host.DockHostFloatingControlsShown())
                m_host.DockHostShowFloatingControls(false);
            m_undockedRect = m_host.DockHostRect();
        } else if (!m_host.DockHostFloatingControlsShown()) {
            m_host.DockHostShowFloatingControls(true);
        }
        return;
    }

    QRect r;
    if (!m_windows.GetRect(m_client, r)) {
        // The client's window is gone: back to the free-floating place, docked or not.
        m_client = 0;
        PlaceUndocked();
        return;
    }

    const int left = r.x(), right = r.x() + r.width();
    int bottom = r.y() + r.height();
    const bool widthChanged = m_dockRect.width() != r.width();
    if (m_dockRect.x() == left && m_dockRect.x() + m_dockRect.width() == right && m_dockRect.y() == bottom &&
        !widthChanged)
        return;
    if (!m_docked)
        return;
    if (m_workArea.isValid()) {
        const int workBottom = m_workArea.y() + m_workArea.height();
        // No room for the bar below the client: the client's window is made shorter.
        if (workBottom - bottom < kBarHeight) {
            bottom = workBottom - kBarHeight;
            m_windows.SetRect(m_client, QRect(left, r.y(), r.width(), bottom - r.y()));
        }
    }
    if (r.width() < kDockMinClientWidth)
        return;
    m_dockRect = QRect(left, bottom, r.width(), kBarHeight);
    m_host.DockHostMove(m_dockRect);
    if (widthChanged) {
        m_bar = BuildBar(r.width(), m_left, m_right, m_centre, m_filler);
        ++m_barBuilds;
        m_host.DockHostShape(RegionFromBitmap(m_bar, ui::kDockBarKey));
        m_host.DockHostRedraw();
    }
}

void CDocking::OnWindowState(WPARAM state)
{
    if (!m_docked)
        return;
    if (state == kSkypeWindowHidden)
        m_host.DockHostHide();
    else if (state == kSkypeWindowNormal)
        m_host.DockHostShowInFront();
}

QRect CDocking::HistoryPlace(const QSize& size) const
{
    const int left = std::max(m_dockRect.x(), m_dockRect.x() + (m_dockRect.width() - size.width()) / 2);
    return QRect(QPoint(left, m_dockRect.y() - size.height()), size);
}

QImage CDocking::BuildBar(int width, const QImage& left, const QImage& right, const QImage& centre,
                          const QImage& filler)
{
    if (width < kDockMinClientWidth)
        return {};
    QImage bar(width, kBarHeight, QImage::Format_RGB32);
    bar.fill(Qt::black);
    QPainter p(&bar);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const int side = (width - kBarCentreWidth) / 2;
    p.drawImage(0, 0, left);
    const int fillers = (side - kBarCapWidth) / kBarFillerWidth + 1;
    for (int k = 0; k < fillers; ++k) {
        p.drawImage(kBarCapWidth + kBarFillerWidth * k, 0, filler);
        p.drawImage(width - side - 1 + kBarFillerWidth * k, 0, filler);
    }
    p.drawImage(width - kBarCapWidth, 0, right);
    p.drawImage(side, 0, centre);
    p.end();
    return bar;
}

QRegion CDocking::RegionFromBitmap(const QImage& bitmap, const QColor& key)
{
    // Both keys of the bar and the background have a green of 255, for which "red and blue equal
    // to the key's, green exactly 255" is the plain colour match of the shared shape builder.
    return ui::RegionFromImage(bitmap, key);
}

QRegion CDocking::FloatingRegion()
{
    return RegionFromBitmap(ui::LoadBitmapImage(ui::IDB_BACKGROUND), ui::kMainWindowKey);
}
