#include "recorder/HelloWorldDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTime>

#include "history/DlgRecHistory.h"
#include "history/HistoryStore.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/OpenUrl.h"
#include "settings/DlgOptions.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeLink.h"
#include "ui/KCBusyProgressCtrl.h"
#include "ui/LabelEx.h"
#include "ui/MyButtonST.h"
#include "ui/Resources.h"
#include "ui/TaskbarNotifier.h"
#include "update/AutoUpdater.h"
#include "update/UpdateConstants.h"

namespace {

QColor ToColour(COLORREF c) { return QColor(RgbRed(c), RgbGreen(c), RgbBlue(c)); }

// The elapsed counter as a time of day: hours wrap after a day, as the display always did.
QString FormatElapsed(std::uint64_t seconds)
{
    const std::uint64_t s = seconds % 86400;
    return QTime(static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60))
        .toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

CHelloWorldDlg::CHelloWorldDlg(const MainWindowOptions& options, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Window), m_options(options)
{
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    setWindowIcon(ui::LoadAppIcon());
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(kMainWindowSize);
    CreateControls();
    // The tray icon and docking.
    TrayActions tray;
    tray.leftClick = [this] { ShowFromTray(); };
    tray.toggleStick = [this] { ToggleStick(); };
    tray.exit = [this] { ExitProgram(); };
    tray.foreground = [this] {
        raise();
        activateWindow();
    };
    m_trayIcon = std::make_unique<CTrayIcon>(std::move(tray));
    m_foreignWindows = ForeignWindows::Create();
    m_docking = std::make_unique<CDocking>(*this, *m_foreignWindows);
}

CHelloWorldDlg::~CHelloWorldDlg()
{
    DestroyWindowHandle(); // nothing posted reaches a half-destroyed window
    DestroyOnce();
}

// ---------------------------------------------------------------------------------------------
// Start-up

void CHelloWorldDlg::CreateControls()
{
    auto button = [this](int id, const char* tip) {
        auto* b = new CMyButtonST(this);
        b->setObjectName(QString::number(id));
        if (tip)
            b->SetTooltipText(QString::fromLatin1(tip));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    m_hide = button(IDC_HIDE, kTipHide);
    m_topMost = button(IDC_TOPMOST, kTipTopMost);
    m_stick = button(IDC_STICK, kTipStick);
    m_startStop = button(IDC_START_STOP, kTipStart);
    m_pauseResume = button(IDC_PAUSE_RESUME, kTipPause);
    m_markOwn = button(IDC_MARK_OWN, nullptr);
    m_markRemote = button(IDC_MARK_REMOTE, nullptr);
    m_historyButton = button(IDC_HISTORY, kTipHistory);
    m_optionsButton = button(IDC_OPTIONS, kTipOptions);
    m_helpButton = button(IDC_HELP, kTipHelp);

    m_levelOwn = new CKCBusyProgressCtrl(this);
    m_levelOwn->setObjectName(QString::number(IDC_LEVEL_OWN));
    m_levelRemote = new CKCBusyProgressCtrl(this);
    m_levelRemote->setObjectName(QString::number(IDC_LEVEL_REMOTE));
    m_userLabel = new CLabelEx(this);
    m_userLabel->setObjectName(QString::number(IDC_USER_LABEL));
    m_statusLabel = new CLabelEx(this);
    m_statusLabel->setObjectName(QString::number(IDC_STATUS_LABEL));

    connect(m_hide, &QAbstractButton::clicked, this, [this] {
        hide();
        if (m_historyWindow)
            m_historyWindow->hide();
    });
    connect(m_historyButton, &QAbstractButton::clicked, this, &CHelloWorldDlg::ToggleHistoryWindow);
    connect(m_topMost, &QAbstractButton::clicked, this, &CHelloWorldDlg::ToggleTopMost);
    connect(m_stick, &QAbstractButton::clicked, this, &CHelloWorldDlg::ToggleStick);
    connect(m_optionsButton, &QAbstractButton::clicked, this, &CHelloWorldDlg::ShowOptions);
    connect(m_startStop, &QAbstractButton::clicked, this, [this] {
        if (m_controller)
            m_controller->OnStartStop();
    });
    connect(m_pauseResume, &QAbstractButton::clicked, this, [this] {
        if (m_controller)
            m_controller->OnPauseResume();
    });
    connect(m_helpButton, &QAbstractButton::clicked, this, [this] { OpenMakerPage(QString::fromLatin1(kHelpPage)); });
    m_userLabel->SetLink(true);
    m_userLabel->SetOnClick([this] { OpenMakerPage(QString::fromLatin1(kConnectIssuePage)); });
}

void CHelloWorldDlg::Initialise()
{
    // 1. Folders; failures are ignored.
    Folders::Ensure(Folders::DefaultRecordings());
    Folders::Ensure(Folders::AppData());

    // 2-3. Window text and icon (the About command is on the window's context menu); the tray icon.
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    setWindowIcon(ui::LoadAppIcon());
    if (m_options.trayIcon)
        m_trayIcon->Add(Handle());

    // 4. Level meters: 20 blocks, 0..512, value 0.
    m_levelOwn->ConfigureAsLevelMeter();
    m_levelRemote->ConfigureAsLevelMeter();

    // 5. The user label until attached.
    m_userLabel->SetText(QString::fromLatin1(kTextSearchingForSkype));
    m_userLabel->SetTextColour(kUserLabelRed);
    m_userLabel->SetIconStrip(ui::IDB_STATUS_STRIP, ui::kStripIconSize);
    m_userLabel->SetIcon(ui::kStatusIconUnknown);

    // 6. History store.
    m_history = CHistoryStore::Instance();
    m_history->Open(CHistoryStore::DefaultPath());

    // 7. The history window, hidden.
    m_historyWindow = new CDlgRecHistory(this);

    // 8. Buttons.
    m_historyButton->SetBitmaps(ui::IDB_HISTORY_NORMAL, ui::IDB_HISTORY_HOVER);
    m_optionsButton->SetBitmaps(ui::IDB_OPTIONS_NORMAL, ui::IDB_OPTIONS_HOVER);
    m_helpButton->SetBitmaps(ui::IDB_HELP_NORMAL, ui::IDB_HELP_HOVER);
    m_hide->SetBitmaps(ui::IDB_HIDE_NORMAL, ui::IDB_HIDE_HOVER, ui::IDB_HIDE_PRESSED);
    m_topMost->SetBitmaps(ui::IDB_TOPMOST_NORMAL, ui::IDB_TOPMOST_HOVER, ui::IDB_TOPMOST_PRESSED);
    m_stick->SetBitmaps(ui::IDB_STICK_NORMAL, ui::IDB_STICK_HOVER, ui::IDB_STICK_PRESSED);
    ShowStartButton();
    ShowPauseButton();
    m_markOwn->SetBitmaps(ui::IDB_MARK_OWN);
    m_markRemote->SetBitmaps(ui::IDB_MARK_REMOTE);
    m_markOwn->setEnabled(false);
    m_markRemote->setEnabled(false);

    // 9. Status label.
    SetStatusText(QString::fromLatin1(kTextWaitingForSkype), kStatusRed);

    // 10. Background pictures; the window takes its shape from the background's pure green.
    m_background = ui::LoadBitmap(ui::IDB_BACKGROUND);
    m_elapsedBox = ui::LoadBitmap(ui::IDB_ELAPSED_BOX);
    if (!m_background.isNull()) {
        setFixedSize(m_background.size());
        setMask(CDocking::FloatingRegion());
    }

    // 11. Settings.
    m_profile = CGeneralProfile::Instance();
    m_profile->Load();
    m_trayIcon->SetProfile(m_profile);
    m_docking->SetProfile(m_profile);

    // 12. Audio capture with both servers listening.
    if (m_options.capture.ownPort == kOwnSidePort && m_options.capture.remotePort == kRemoteSidePort) {
        m_capture = CAudioCapture::Instance();
    } else {
        m_ownedCapture = std::make_unique<CAudioCapture>(m_options.capture);
        m_capture = m_ownedCapture.get();
    }
    m_capture->SetNotifyWindow(Handle());
    m_capture->StartServers();

    // 13. The link starts discovering the client.
    m_link = CSkypeLink::Attach(Handle());

    // 14. The recording controller with its current-recording record.
    m_controller = std::make_unique<CRecordingController>(
        *this, RecorderParts{m_link, m_capture, m_history, m_profile}, m_options.recorder);

    // 15. Start/Stop and Pause/Resume wait for a call.
    m_startStop->setEnabled(false);
    m_pauseResume->setEnabled(false);

    // 16. Position.
    RestorePosition();

    // 17. Every stored record into the history window, in store order; then the counts.
    for (int i = 0, n = m_history->GetCount(); i < n; ++i) {
        CHistoryRecord record;
        if (m_history->GetRecord(i, record))
            m_historyWindow->AddRecord(record);
    }
    m_historyWindow->Recount();

    // 18. The docked bar's pieces.
    m_docking->LoadPieces();
    // 19. Not docked, no client window known yet; the docking poll starts.
    m_docking->Start(m_options.dockTimerMs);

    // 20. The once-per-run version check.
    if (m_options.startUpdateCheck) {
        m_updater = std::make_unique<CAutoUpdater>();
        m_updater->Start(Handle());
    }

    // 21. Popup notifier.
    m_notifier = new CTaskbarNotifier();
    m_notifier->Create(this, Handle());
    m_notifier->SetSkin();
    m_notifier->SetTextFont();
    m_notifier->SetTextColours(Qt::black, kPopupHoverColour);
    const QSize skin = m_notifier->SkinSize();
    m_notifier->SetTextRect(QRect(QPoint(10, 30), QPoint(skin.width() - 10, skin.height() - 10)));

    // 22. Top-most.
    if (m_profile->topmost) {
        m_topMost->SetBitmaps(ui::IDB_TOPMOST_PRESSED, ui::IDB_TOPMOST_HOVER, ui::IDB_TOPMOST_PRESSED);
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }

    // 23. Docked as the settings say: the five free-floating controls hidden and the client's
    // window looked for; otherwise they are shown.
    m_docking->ApplyStartupSetting();

    ApplyLayout();
    DrawElapsed(0, UiWaiting);
    // 24.
    m_startupFinished = true;
}

void CHelloWorldDlg::RestorePosition()
{
    const QStringList fields = m_profile->position.split(u',');
    if (fields.size() < 3)
        return;
    int v[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && i < fields.size(); ++i) {
        bool ok = false;
        v[i] = fields[i].trimmed().toInt(&ok);
        if (!ok && i < 3)
            return;
        if (v[i] < 0)
            return;
    }
    const int left = v[0], top = v[1];
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect work = screen->availableGeometry();
    const int w = width(), h = height();
    // QRect::right()/bottom() are inclusive; the work area's edges are one past them.
    const int workRight = work.x() + work.width();
    const int workBottom = work.y() + work.height();
    if (work.x() < left && work.y() < top && top + h < workBottom && left + w < workRight)
        move(left, top);
}

QString CHelloWorldDlg::PositionText() const
{
    const QRect r = frameGeometry();
    return QString::asprintf("%d,%d,%d,%d", r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}

// ---------------------------------------------------------------------------------------------
// End

void CHelloWorldDlg::done(int result)
{
    QDialog::done(result);
    // Closing the main window ends the program.
    QCoreApplication::quit();
}

void CHelloWorldDlg::DestroyOnce()
{
    if (m_destroyed || !m_startupFinished)
        return;
    m_destroyed = true;
    // The version check first: its thread must not outlive the window it reports to.
    m_updater.reset();
    // 1. Tray icon; docking polls no more.
    m_trayIcon->Delete();
    m_docking->Timer().stop();
    // 2. Position (when free-floating) and settings.
    if (m_profile) {
        if (!m_docking->IsDocked())
            m_profile->position = PositionText();
        m_profile->SetChanged();
        m_profile->Save();
    }
    // 3. Audio servers. A recording still running gets no history entry.
    if (m_capture) {
        m_capture->Shutdown();
        if (m_ownedCapture)
            m_ownedCapture.reset();
        else
            CAudioCapture::Release();
        m_capture = nullptr;
    }
    // 4. The link.
    if (m_link) {
        m_link->Stop();
        CSkypeLink::Release();
        m_link = nullptr;
    }
    // 5. The current recording goes with the controller.
    m_controller.reset();
    // 6. History store.
    CHistoryStore::Destroy();
    m_history = nullptr;
    // 7. The history window saves its position as it goes.
    delete m_historyWindow;
    m_historyWindow = nullptr;
    delete m_notifier;
    m_notifier = nullptr;
    // 8. Settings.
    CGeneralProfile::Release();
    m_profile = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Messages

const CMessageMap<CHelloWorldDlg>& CHelloWorldDlg::MessageMap()
{
    static const CMessageMap<CHelloWorldDlg> map{
        {WM_LEVEL_OWN, &CHelloWorldDlg::OnLevelOwn},
        {WM_LEVEL_REMOTE, &CHelloWorldDlg::OnLevelRemote},
        {WM_RECORDING_FINISH, &CHelloWorldDlg::OnRecordingFinish},
        {WM_SKYPE_USERSTATUS, &CHelloWorldDlg::OnSkypeUserStatus},
        {WM_SKYPE_ATTACHED, &CHelloWorldDlg::OnSkypeAttached},
        {WM_SKYPE_CALL, &CHelloWorldDlg::OnSkypeCall},
        {WM_SKYPE_REFUSED, &CHelloWorldDlg::OnSkypeRefused},
        {WM_TRAYICON_NOTIFY, &CHelloWorldDlg::OnTrayNotify},
        {WM_SKYPE_WINDOWSTATE, &CHelloWorldDlg::OnSkypeWindowState},
    };
    return map;
}

bool CHelloWorldDlg::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return MessageMap().Dispatch(this, msg, wParam, lParam, result);
}

LRESULT CHelloWorldDlg::OnLevelOwn(WPARAM w, LPARAM)
{
    m_levelOwn->SetPos(static_cast<int>(w));
    m_levelOwn->Repaint();
    return 0;
}

LRESULT CHelloWorldDlg::OnLevelRemote(WPARAM w, LPARAM)
{
    m_levelRemote->SetPos(static_cast<int>(w));
    m_levelRemote->Repaint();
    return 0;
}

LRESULT CHelloWorldDlg::OnRecordingFinish(WPARAM, LPARAM)
{
    if (m_controller)
        m_controller->OnRecordingFinish();
    return 0;
}

int CHelloWorldDlg::StatusIconFor(int status)
{
    switch (status) {
    case OnlineLoggedOut:
    case OnlineOffline:
    case OnlineInvisible: return ui::kStatusIconOffline;
    case OnlineOnline: return ui::kStatusIconOnline;
    case OnlineAway: return ui::kStatusIconAway;
    case OnlineNotAvailable:
    case OnlineDoNotDisturb: return ui::kStatusIconNotAvailable;
    case OnlineSkypeMe: return ui::kStatusIconSkypeMe;
    default: return ui::kStatusIconUnknown;
    }
}

LRESULT CHelloWorldDlg::OnSkypeUserStatus(WPARAM w, LPARAM)
{
    m_userLabel->SetIcon(StatusIconFor(static_cast<int>(w)));
    return 0;
}

LRESULT CHelloWorldDlg::OnSkypeAttached(WPARAM, LPARAM)
{
    m_userLabel->SetText(m_link ? m_link->CurrentUserHandle() : QString());
    m_userLabel->SetTextColour(Qt::black);
    // A repeated attach during a recording leaves the recording's status as it is.
    if (m_controller && m_controller->IsIdle()) {
        SetStatusText(QString::fromLatin1(kTextReadyForRecording), kStatusBlack);
        m_controller->SetUiState(UiReady);
        DrawElapsed(m_controller->Elapsed(), UiReady);
    }
    return 0;
}

LRESULT CHelloWorldDlg::OnSkypeCall(WPARAM w, LPARAM l)
{
    if (m_controller)
        m_controller->OnSkypeCall(w, l);
    return 0;
}

LRESULT CHelloWorldDlg::OnSkypeRefused(WPARAM, LPARAM)
{
    const QString page = MakerPage(QString::fromLatin1(kConnectIssuePage));
    MessageBox(Handle(), QString::fromLatin1(kRefusedTextHead) + page + QString::fromLatin1(kRefusedTextTail),
               QString::fromLatin1(kProductName), MB_OK | MB_ICONWARNING);
    OpenUrl(page);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The recording controller's view

void CHelloWorldDlg::ShowStartButton()
{
    m_startStop->hide();
    m_startStop->SetBitmaps(ui::IDB_START_NORMAL, ui::IDB_START_HOVER, ui::IDB_START_PRESSED);
    m_startStop->SetTooltipText(QString::fromLatin1(kTipStart));
    m_startStop->show();
    m_pauseResume->setEnabled(false);
}

void CHelloWorldDlg::ShowStopButton()
{
    m_startStop->hide();
    m_startStop->SetBitmaps(ui::IDB_STOP_NORMAL, ui::IDB_STOP_HOVER, ui::IDB_STOP_PRESSED);
    m_startStop->SetTooltipText(QString::fromLatin1(kTipStop));
    m_startStop->show();
    m_pauseResume->setEnabled(true);
}

void CHelloWorldDlg::ShowPauseButton()
{
    m_pauseResume->hide();
    m_pauseResume->SetBitmaps(ui::IDB_PAUSE_NORMAL, ui::IDB_PAUSE_HOVER, ui::IDB_PAUSE_PRESSED);
    m_pauseResume->SetTooltipText(QString::fromLatin1(kTipPause));
    m_pauseResume->show();
}

void CHelloWorldDlg::ShowResumeButton()
{
    m_pauseResume->hide();
    m_pauseResume->SetBitmaps(ui::IDB_START_NORMAL, ui::IDB_START_HOVER, ui::IDB_START_PRESSED);
    m_pauseResume->SetTooltipText(QString::fromLatin1(kTipResume));
    m_pauseResume->show();
}

void CHelloWorldDlg::EnableControl(int controlId, bool enable)
{
    if (QWidget* w = Control(controlId))
        w->setEnabled(enable);
}

void CHelloWorldDlg::SetStatusText(const QString& text, COLORREF colour)
{
    m_statusLabel->SetText(text);
    m_statusLabel->SetTextColour(ToColour(colour));
}

void CHelloWorldDlg::ResetLevelMeters()
{
    m_levelOwn->SetPos(0);
    m_levelRemote->SetPos(0);
    m_levelOwn->Repaint();
    m_levelRemote->Repaint();
}

void CHelloWorldDlg::DrawElapsed(std::uint64_t elapsedSeconds, UiState state)
{
    if (elapsedSeconds != 0)
        m_elapsedText = FormatElapsed(elapsedSeconds);
    else if (state != UiWaiting)
        m_elapsedText = QString::fromLatin1(kTextElapsedReady);
    else
        m_elapsedText = QString::fromLatin1(kTextElapsedWaiting);
    update(ElapsedRect());
}

void CHelloWorldDlg::BringToFront()
{
    showNormal();
    raise();
    activateWindow();
}

void CHelloWorldDlg::ShowHistoryWindow()
{
    if (!m_historyWindow)
        return;
    if (!m_historyWindow->isVisible())
        PlaceHistoryWindow();
    m_historyWindow->show();
    m_historyWindow->raise();
}

void CHelloWorldDlg::AddHistoryRecord(const CHistoryRecord& record)
{
    if (!m_historyWindow)
        return;
    m_historyWindow->AddRecord(record);
    m_historyWindow->Recount();
}

void CHelloWorldDlg::ToggleHistoryWindow()
{
    if (!m_historyWindow)
        return;
    if (m_historyWindow->isVisible()) {
        m_historyWindow->hide();
        return;
    }
    PlaceHistoryWindow();
    m_historyWindow->SetTopMost(m_docking && m_docking->IsDocked());
    m_historyWindow->show();
}

void CHelloWorldDlg::PlaceHistoryWindow()
{
    if (!m_historyWindow)
        return;
    if (m_docking && m_docking->IsDocked()) {
        m_historyWindow->move(m_docking->HistoryPlace(m_historyWindow->frameGeometry().size()).topLeft());
        return;
    }
    const QRect main = frameGeometry();
    m_historyWindow->move(main.left(), main.top() + main.height());
}

void CHelloWorldDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // The history window travels with the main window while it is shown.
    if (m_historyWindow && m_historyWindow->isVisible())
        PlaceHistoryWindow();
}

// ---------------------------------------------------------------------------------------------
// Buttons and pages

void CHelloWorldDlg::ToggleTopMost()
{
    if (!m_profile)
        return;
    const bool on = !m_profile->topmost;
    if (on)
        m_topMost->SetBitmaps(ui::IDB_TOPMOST_PRESSED, ui::IDB_TOPMOST_HOVER, ui::IDB_TOPMOST_PRESSED);
    else
        m_topMost->SetBitmaps(ui::IDB_TOPMOST_NORMAL, ui::IDB_TOPMOST_HOVER, ui::IDB_TOPMOST_PRESSED);
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        show(); // changing a window flag hides the window
    m_profile->topmost = on;
    m_profile->SetChanged();
    m_profile->Save();
}

QString CHelloWorldDlg::MakerPage(const QString& page)
{
    return QString::fromLatin1(kUpdateSiteAddress) + page;
}

void CHelloWorldDlg::OpenMakerPage(const QString& page) { OpenUrl(MakerPage(page)); }

void CHelloWorldDlg::ShowAbout()
{
    QMessageBox about(this);
    about.setWindowTitle(QString::fromLatin1(kAboutTitle));
    about.setIconPixmap(ui::LoadAppIcon().pixmap(48, 48));
    about.setText(QString::fromLatin1(kAboutText));
    about.exec();
}

// ---------------------------------------------------------------------------------------------
// Controls and layout

QWidget* CHelloWorldDlg::Control(int id) const
{
    switch (id) {
    case IDC_HIDE: return m_hide;
    case IDC_TOPMOST: return m_topMost;
    case IDC_STICK: return m_stick;
    case IDC_START_STOP: return m_startStop;
    case IDC_PAUSE_RESUME: return m_pauseResume;
    case IDC_MARK_OWN: return m_markOwn;
    case IDC_MARK_REMOTE: return m_markRemote;
    case IDC_LEVEL_OWN: return m_levelOwn;
    case IDC_LEVEL_REMOTE: return m_levelRemote;
    case IDC_USER_LABEL: return m_userLabel;
    case IDC_STATUS_LABEL: return m_statusLabel;
    case IDC_HISTORY: return m_historyButton;
    case IDC_OPTIONS: return m_optionsButton;
    case IDC_HELP: return m_helpButton;
    default: return nullptr;
    }
}

QString CHelloWorldDlg::StatusText() const { return m_statusLabel->Text(); }
QString CHelloWorldDlg::UserLabelText() const { return m_userLabel->Text(); }
int CHelloWorldDlg::StatusIconIndex() const { return m_userLabel->IconIndex(); }
int CHelloWorldDlg::LevelOwn() const { return m_levelOwn->GetPos(); }
int CHelloWorldDlg::LevelRemote() const { return m_levelRemote->GetPos(); }

QRect CHelloWorldDlg::ElapsedRect() const
{
    if (m_docking && m_docking->ShowsBar()) {
        const int meterRight = m_levelOwn->geometry().right() + 1;
        return QRect(QPoint(meterRight + kDockElapsedFrom, kDockElapsedTop),
                     QPoint(meterRight + kDockElapsedTo - 1, kDockElapsedBottom - 1));
    }
    const int left = m_levelOwn->geometry().right() + 1 + kElapsedGap;
    return QRect(QPoint(left, kElapsedTop), QPoint(kElapsedRight - 1, kElapsedBottom - 1));
}

namespace {
// Moves a control only when it is not already in place.
void place(QWidget* w, const QRect& r)
{
    if (w->geometry() != r)
        w->setGeometry(r);
}
} // namespace

// The two side marks, the remote one under the own one overlapping it, each with its meter
// directly right of it and a little lower.
void CHelloWorldDlg::PlaceMarksAndMeters(const QPoint& markOwnTopLeft)
{
    const QRect markOwn(markOwnTopLeft, m_markOwn->sizeHint());
    const QRect markRemote(QPoint(markOwn.left(), markOwn.bottom() + 1 - kMarkOverlap), m_markRemote->sizeHint());
    place(m_markOwn, markOwn);
    place(m_markRemote, markRemote);
    place(m_levelOwn, QRect(QPoint(markOwn.right() + 1, markOwn.top() + kMeterDrop), m_levelOwn->sizeHint()));
    place(m_levelRemote,
          QRect(QPoint(markRemote.right() + 1, markRemote.top() + kMeterDrop), m_levelRemote->sizeHint()));
}

void CHelloWorldDlg::ApplyLayout()
{
    if (m_docking && m_docking->ShowsBar()) {
        ApplyDockedLayout();
        return;
    }
    const int right = width();
    const QSize hideSize = m_hide->sizeHint();
    const QSize pinSize = m_topMost->sizeHint();
    const QRect hide(QPoint(right - 1 - hideSize.width(), kTopRowY), hideSize);
    const QRect topMost(QPoint(hide.left() - pinSize.width(), kTopRowY), pinSize);
    const QRect stick(QPoint(topMost.left() - m_stick->sizeHint().width(), kTopRowY), m_stick->sizeHint());
    place(m_hide, hide);
    place(m_topMost, topMost);
    place(m_stick, stick);

    const QSize big(32, 32);
    place(m_startStop, QRect(kStartStopPos, big));
    place(m_pauseResume, QRect(kPauseResumePos, big));
    PlaceMarksAndMeters(QPoint(kPauseResumePos.x() + big.width() + kMarkGap, kPauseResumePos.y()));

    int x = kToolButtonsPos.x();
    for (CMyButtonST* b : {m_historyButton, m_optionsButton, m_helpButton}) {
        place(b, QRect(QPoint(x, kToolButtonsPos.y()), big));
        x += big.width() + kToolButtonGap;
    }

    const int labelsTop = height() - kLabelsAboveBottom;
    const int userWidth = m_userLabel->sizeHint().width() + kUserLabelGap;
    place(m_userLabel, QRect(kLabelsLeft, labelsTop, userWidth, kLabelHeight));
    const int statusLeft = kLabelsLeft + userWidth;
    place(m_statusLabel, QRect(statusLeft, labelsTop, right - kStatusRightMargin - statusLeft, kLabelHeight));
}

void CHelloWorldDlg::paintEvent(QPaintEvent*)
{
    ApplyLayout();
    QPainter p(this);
    if (m_docking && m_docking->ShowsBar())
        p.drawImage(0, 0, m_docking->Bar());
    else if (!m_background.isNull())
        p.drawPixmap(0, 0, m_background);
    else
        p.fillRect(rect(), QColor(40, 44, 52));
    // The elapsed-time box.
    const QRect box = ElapsedRect();
    if (!m_elapsedBox.isNull())
        p.drawPixmap(box.topLeft(), m_elapsedBox);
    // The largest bold face up to 15 px in which the widest text, a full time, fits the box.
    QFont font = p.font();
    font.setBold(true);
    for (int px = kElapsedFontMaxPx; px >= kElapsedFontMinPx; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00:00")) <= box.width() - 2 * kElapsedPadding)
            break;
    }
    p.setFont(font);
    p.setPen(kElapsedTextColour);
    p.drawText(box, Qt::AlignCenter, m_elapsedText);
}

void CHelloWorldDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // With "start hidden" the first show is undone once, and the popup says Kestrel runs.
    if (m_profile && m_profile->starthide && !m_hiddenAtStart) {
        m_hiddenAtStart = true;
        QMetaObject::invokeMethod(this, [this] { hide(); }, Qt::QueuedConnection);
        if (m_startupFinished && m_notifier)
            m_notifier->Show(QString::fromLatin1(kTextRunning));
    }
}

void CHelloWorldDlg::mousePressEvent(QMouseEvent* event)
{
    if (!m_drag.Press(this, event))
        QDialog::mousePressEvent(event);
}

void CHelloWorldDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_drag.Move(this, event))
        QDialog::mouseMoveEvent(event);
}

void CHelloWorldDlg::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.Release();
    QDialog::mouseReleaseEvent(event);
}

void CHelloWorldDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The window has no caption, so its menu comes up on a right click on the background.
    QMenu menu(this);
    menu.addAction(QString::fromLatin1(kAboutMenuText), this, &CHelloWorldDlg::ShowAbout);
    menu.addSeparator();
    menu.addAction(QStringLiteral("E&xit"), this, [this] { done(QDialog::Rejected); });
    menu.exec(event->globalPos());
}

// ---------------------------------------------------------------------------------------------
// Tray icon, docking and options

LRESULT CHelloWorldDlg::OnTrayNotify(WPARAM w, LPARAM l)
{
    m_trayIcon->OnNotify(w, l);
    return 0;
}

LRESULT CHelloWorldDlg::OnSkypeWindowState(WPARAM w, LPARAM)
{
    m_docking->OnWindowState(w);
    return 0;
}

void CHelloWorldDlg::ToggleStick()
{
    m_docking->ToggleStick();
}

void CHelloWorldDlg::ShowFromTray()
{
    BringToFront();
    if (m_docking->IsDocked())
        return;
    if (QWidget* history = DockedHistoryWidget()) {
        const QRect main = frameGeometry();
        history->move(main.left(), main.top() + main.height());
        history->show();
    }
}

void CHelloWorldDlg::ExitProgram()
{
    if (m_capture)
        m_capture->AbortRecording();
    done(QDialog::Rejected);
}

void CHelloWorldDlg::ShowOptions()
{
    CDlgOptions options(this);
    options.exec();
}

QWidget* CHelloWorldDlg::DockedHistoryWidget() const
{
    return m_historyWindow;
}

QRect CHelloWorldDlg::DockHostRect() const
{
    return geometry();
}

void CHelloWorldDlg::DockHostMove(const QRect& rect)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    setFixedSize(rect.size());
    move(rect.topLeft());
}

void CHelloWorldDlg::DockHostShape(const QRegion& region)
{
    setMask(region);
}

void CHelloWorldDlg::DockHostShowFloatingControls(bool show)
{
    for (QWidget* w : {static_cast<QWidget*>(m_hide), static_cast<QWidget*>(m_topMost),
                       static_cast<QWidget*>(m_stick), static_cast<QWidget*>(m_userLabel),
                       static_cast<QWidget*>(m_statusLabel)})
        w->setVisible(show);
}

bool CHelloWorldDlg::DockHostFloatingControlsShown() const
{
    return !m_hide->isHidden();
}

void CHelloWorldDlg::DockHostHistoryTopMost(bool topMost)
{
    QWidget* history = DockedHistoryWidget();
    if (!history || history->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topMost)
        return;
    const bool wasVisible = history->isVisible();
    const QRect place = history->geometry();
    history->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    history->setGeometry(place);
    if (wasVisible)
        history->show(); // changing a window flag hides the window
}

void CHelloWorldDlg::DockHostRedraw()
{
    ApplyLayout();
    repaint();
}

void CHelloWorldDlg::DockHostHide()
{
    hide();
}

void CHelloWorldDlg::DockHostShowInFront()
{
    BringToFront();
}

void CHelloWorldDlg::ApplyDockedLayout()
{
    const int a = (width() - kBarCentreWidth) / 2;
    const QSize big(32, 32);
    place(m_startStop, QRect(QPoint(a + kDockStartStopX, kDockButtonsY), big));
    place(m_pauseResume, QRect(QPoint(a + kDockPauseResumeX, kDockButtonsY), big));
    PlaceMarksAndMeters(QPoint(a + kDockMarkX, kDockButtonsY));
    int x = m_levelOwn->geometry().right() + 1 + kDockToolsFromMeter;
    for (CMyButtonST* b : {m_historyButton, m_optionsButton, m_helpButton}) {
        place(b, QRect(QPoint(x, kDockToolsY), big));
        x += big.width() + kToolButtonGap;
    }
}
