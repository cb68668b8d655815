#pragma once
// Kestrel's main window: a captionless skinned bar showing the attach and recording status, the
// elapsed time and the two level meters, with the buttons that drive the program. It creates and
// owns the program's long-lived objects and hosts the recording controller.
#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

#include "audio/AudioCapture.h"
#include "platform/MessageWindow.h"
#include "recorder/Docking.h"
#include "recorder/MainWindowConstants.h"
#include "recorder/RecordingController.h"
#include "recorder/RecorderView.h"
#include "recorder/TrayIcon.h"
#include "skype/SkypeConstants.h"
#include "ui/BackgroundDrag.h"

class CAutoUpdater;
class CDlgRecHistory;
class CGeneralProfile;
class CHistoryStore;
class CKCBusyProgressCtrl;
class CLabelEx;
class CMyButtonST;
class CSkypeLink;
class CTaskbarNotifier;

// What tests and the application may choose about the window's parts.
struct MainWindowOptions {
    CaptureConfig capture;        // the audio ports
    RecorderTimings recorder;     // the elapsed-time tick
    bool startUpdateCheck = true; // the once-per-run version check
    bool trayIcon = true;
    int dockTimerMs = kDockTimerMs; // the poll of the client's window
};

class CHelloWorldDlg : public QDialog, public CMessageWindow, public IRecorderView, public IDockHost {
    Q_OBJECT
public:
    explicit CHelloWorldDlg(const MainWindowOptions& options = {}, QWidget* parent = nullptr);
    ~CHelloWorldDlg() override;

    // Creates the long-lived objects and sets the window up, in the start-up order.
    void Initialise();
    // The end-of-program work, once: position and settings saved, audio and link shut down,
    // history closed.
    void DestroyOnce();

    // IRecorderView
    void ShowStartButton() override;
    void ShowStopButton() override;
    void ShowPauseButton() override;
    void ShowResumeButton() override;
    void EnableControl(int controlId, bool enable) override;
    void SetStatusText(const QString& text, COLORREF colour) override;
    void ResetLevelMeters() override;
    void DrawElapsed(std::uint64_t elapsedSeconds, UiState state) override;
    void BringToFront() override;
    void ShowHistoryWindow() override;
    void AddHistoryRecord(const CHistoryRecord& record) override;
    HWND RecorderWindow() const override { return Handle(); }

    bool OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Controls and state, for the tray, docking and tests.
    QWidget* Control(int id) const;
    CRecordingController* Controller() const { return m_controller.get(); }
    CAudioCapture* Capture() const { return m_capture; }
    CTaskbarNotifier* Notifier() const { return m_notifier; }
    QString StatusText() const;
    QString UserLabelText() const;
    int StatusIconIndex() const;
    QString ElapsedText() const { return m_elapsedText; }
    QRect ElapsedRect() const;
    int LevelOwn() const;
    int LevelRemote() const;
    void ToggleTopMost();
    void OpenMakerPage(const QString& page);
    void ShowAbout();
    static QString MakerPage(const QString& page);
    static int StatusIconFor(int onlineStatus);

    // Tray icon, docking and options.
    CTrayIcon* TrayIcon() const { return m_trayIcon.get(); }
    CDocking* Docking() const { return m_docking.get(); }
    // The history window (created hidden at start-up), for the tray and docking code.
    CDlgRecHistory* HistoryWindow() const { return m_historyWindow; }
    // Control 1011: shows the history window in its place, or hides it.
    void ToggleHistoryWindow();
    // Puts the history window under the main window (left edges equal), or above the docked bar.
    void PlaceHistoryWindow();
    void ToggleStick();
    // The tray icon's left click: the main window in front and, when free-floating, the
    // history window below it.
    void ShowFromTray();
    // The tray's Exit: the mixer is aborted and the program ends (a running recording gets no
    // history entry).
    void ExitProgram();
    // The options dialog, modal.
    void ShowOptions();

    // IDockHost
    QRect DockHostRect() const override;
    void DockHostMove(const QRect& rect) override;
    void DockHostShape(const QRegion& region) override;
    void DockHostShowFloatingControls(bool show) override;
    bool DockHostFloatingControlsShown() const override;
    void DockHostHistoryTopMost(bool topMost) override;
    void DockHostRedraw() override;
    void DockHostHide() override;
    void DockHostShowInFront() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void done(int result) override;

private:
    LRESULT OnLevelOwn(WPARAM w, LPARAM l);
    LRESULT OnLevelRemote(WPARAM w, LPARAM l);
    LRESULT OnRecordingFinish(WPARAM w, LPARAM l);
    LRESULT OnSkypeUserStatus(WPARAM w, LPARAM l);
    LRESULT OnSkypeAttached(WPARAM w, LPARAM l);
    LRESULT OnSkypeCall(WPARAM w, LPARAM l);
    LRESULT OnSkypeRefused(WPARAM w, LPARAM l);
    LRESULT OnTrayNotify(WPARAM w, LPARAM l);
    LRESULT OnSkypeWindowState(WPARAM w, LPARAM l);
    static const CMessageMap<CHelloWorldDlg>& MessageMap();

    void CreateControls();
    void ApplyLayout();
    void PlaceMarksAndMeters(const QPoint& markOwnTopLeft);
    void ApplyDockedLayout();
    // The history window, for placing it above the docked bar; none until it exists.
    QWidget* DockedHistoryWidget() const;
    void RestorePosition();
    QString PositionText() const;

    MainWindowOptions m_options;
    CGeneralProfile* m_profile = nullptr;
    CAudioCapture* m_capture = nullptr;
    std::unique_ptr<CAudioCapture> m_ownedCapture;
    CSkypeLink* m_link = nullptr;
    CHistoryStore* m_history = nullptr;
    std::unique_ptr<CRecordingController> m_controller;
    std::unique_ptr<CAutoUpdater> m_updater;
    CTaskbarNotifier* m_notifier = nullptr;
    std::unique_ptr<CTrayIcon> m_trayIcon;
    std::unique_ptr<IForeignWindows> m_foreignWindows;
    std::unique_ptr<CDocking> m_docking;
    CDlgRecHistory* m_historyWindow = nullptr;

    CMyButtonST* m_hide = nullptr;
    CMyButtonST* m_topMost = nullptr;
    CMyButtonST* m_stick = nullptr;
    CMyButtonST* m_startStop = nullptr;
    CMyButtonST* m_pauseResume = nullptr;
    CMyButtonST* m_markOwn = nullptr;
    CMyButtonST* m_markRemote = nullptr;
    CKCBusyProgressCtrl* m_levelOwn = nullptr;
    CKCBusyProgressCtrl* m_levelRemote = nullptr;
    CLabelEx* m_userLabel = nullptr;
    CLabelEx* m_statusLabel = nullptr;
    CMyButtonST* m_historyButton = nullptr;
    CMyButtonST* m_optionsButton = nullptr;
    CMyButtonST* m_helpButton = nullptr;

    QPixmap m_background;
    QPixmap m_elapsedBox;
    QString m_elapsedText = QString::fromLatin1(kTextElapsedWaiting);
    bool m_startupFinished = false;
    bool m_destroyed = false;
    bool m_hiddenAtStart = false;
    ui::CBackgroundDrag m_drag;
};
