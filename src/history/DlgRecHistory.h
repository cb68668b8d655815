#pragma once
// CDlgRecHistory: the history window. A captionless, resizable window with a title strip, the
// history tree (CTreeCtrlBT) and a player bar (Play or Pause, Stop, position, speaker, volume).
// From a recording's row the user plays it, calls the partner back or opens a chat with them,
// shows the file in the file manager or deletes it. The main window creates it hidden at start-up
// and shows or hides it; its close button only hides it.
#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

#include "history/EasyPlayer.h"
#include "history/HistoryRecord.h"
#include "history/HistoryWindowConstants.h"
#include "history/TreeCtrlBT.h"
#include "platform/MessageWindow.h"
#include "ui/BackgroundDrag.h"

class CContactList;
class CGeneralProfile;
class CHistoryStore;
class CMyButtonST;
class QMenu;
class QSizeGrip;
class QSlider;

// What tests and the main window may choose about the window's parts.
struct HistoryWindowOptions {
    std::function<qint64()> clock;                      // now, in seconds; null: the system clock
    int playbackTimerMs = kPlaybackTimerMs;
    int loadTimeoutMs = kPlayerLoadTimeoutMs;
    CContactList* contacts = nullptr;                   // null: the Skype link's contact list
    std::function<void(const QString&)> placeCall;      // null: CSkypeLink::PlaceCall
    std::function<void(const QString&)> openChat;       // null: CSkypeLink::OpenChat
};

class CDlgRecHistory : public QDialog, public CMessageWindow {
    Q_OBJECT
public:
    explicit CDlgRecHistory(QWidget* parent = nullptr, const HistoryWindowOptions& options = {});
    ~CDlgRecHistory() override;

    // The tree: the root and today's row, one record under its day, the counts.
    void InitTree();
    CHistoryTreeItem* AddRecord(const CHistoryRecord& record);
    void Recount();
    QTreeWidgetItem* FindDayItem(qint64 time) const;
    void SortDay(QTreeWidgetItem* day);

    // In (true) or out of the top-most band, keeping place and size.
    void SetTopMost(bool topMost);

    // Playback (the Play and Stop buttons, timer 100, the sliders).
    void OnPlay();
    void OnStop();
    void OnPlaybackTimer();
    void OnPositionReleased();
    void OnVolumeChanged();

    // Shows the file in the desktop's file manager; when none answers, opens its folder.
    void ShowInFolder(const QString& file);

    bool OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The context menu is shown at the cursor and returns the chosen command; tests choose
    // instead (they get the menu as built and return a command id, or 0).
    using MenuChooser = std::function<int(QMenu& menu)>;
    void SetMenuChooser(MenuChooser chooser) { m_menuChooser = std::move(chooser); }

    // Parts and state, for the main window and tests.
    CTreeCtrlBT* Tree() const { return m_tree; }
    QTreeWidgetItem* Root() const { return m_root; }
    const CHistoryCounters& Counters() const { return m_counters; }
    PlaybackState State() const { return m_state; }
    CEasyPlayer& Player() { return m_player; }
    CHistoryItemData* PlayingRecord() const { return m_playing; }
    QWidget* Control(int id) const;
    QTimer& PlaybackTimer() { return m_timer; }
    // The bitmap Play shows now: ui::IDB_PLAY or ui::IDB_PAUSE.
    int PlayBitmap() const { return m_playBitmap; }

signals:
    // The file manager was asked (true) or the folder was opened instead (false).
    void ShowInFolderDone(bool fileManager);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void reject() override;

private:
    LRESULT OnDeleteRequest(WPARAM w, LPARAM l);
    LRESULT OnShowInFolderRequest(WPARAM w, LPARAM l);
    LRESULT OnContextMenuRequest(WPARAM w, LPARAM l);
    static const CMessageMap<CDlgRecHistory>& MessageMap();

    void CreateControls();
    void ApplyLayout();
    void RestorePosition();
    void SaveOnDestroy();
    void OnSelectionChanged();
    void OnTreeRightClick(const QPoint& pos);
    void SetPlayBitmap(int id);
    // The record row named by a posted request, or null when that row is gone.
    QTreeWidgetItem* RequestItem(WPARAM w, LPARAM l) const;
    bool SelectedIsRecord() const;
    qint64 Now() const;

    HistoryWindowOptions m_options;
    CEasyPlayer m_player;
    CMyButtonST* m_close = nullptr;
    CTreeCtrlBT* m_tree = nullptr;
    PlaybackState m_state = PlaybackIdle;
    QTreeWidgetItem* m_root = nullptr;
    CHistoryItemData* m_playing = nullptr;
    CHistoryCounters m_counters;
    CHistoryStore* m_store = nullptr;
    CGeneralProfile* m_profile = nullptr;
    CMyButtonST* m_speaker = nullptr;
    CMyButtonST* m_stop = nullptr;
    CMyButtonST* m_play = nullptr;
    QSlider* m_position = nullptr;
    QSlider* m_volume = nullptr;
    QWidget* m_playerParent = nullptr;
    QSizeGrip* m_grip = nullptr;
    QPixmap m_title;
    QPixmap m_playLooks[2][2]; // [play, pause][normal, hover]
    QPixmap m_stopHover;
    int m_playBitmap = 0;
    QTimer m_timer;
    MenuChooser m_menuChooser;
    ui::CBackgroundDrag m_drag;
    bool m_destroyed = false;
};
