// Kestrel's main window end to end: the window is created as the application creates it, the
// link attaches to skypesim over the private session bus, skypesim streams to the real audio
// ports, and what the user sees is read back from the window and its screenshots.
#include <QDir>
#include <QFile>
#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>

#include <csignal>

#include "audio/Mp3Decode.h"
#include "history/HistoryRecord.h"
#include "history/HistoryStore.h"
#include "platform/Folders.h"
#include "platform/OpenUrl.h"
#include "recorder/HelloWorldDlg.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeLink.h"
#include "support/LinkTimings.h"
#include "support/SkypeSimProcess.h"
#include "support/TestEnv.h"
#include "ui/KCBusyProgressCtrl.h"
#include "ui/TaskbarNotifier.h"

#include <gtest/gtest.h>

namespace {

void SaveScreenshot(QWidget* w, const QString& name)
{
    QString dir = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    if (dir.isEmpty())
        dir = testenv::Root() + "/screenshots";
    QDir().mkpath(dir);
    const QPixmap shot = w->grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(dir + "/" + name + ".png"));
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(testenv::SkypeSimProcess::Executable().isEmpty());
        testenv::UseFastLinkTimings();
        testenv::MessageBoxRecorder::Instance().Clear();
        opened.clear();
        SetOpenUrlHandler([this](const QString& url) {
            opened << url;
            return true;
        });
        // Settings as a user left them: recordings in their own folder.
        auto* profile = CGeneralProfile::Instance();
        profile->Load();
        profile->sfolder = testenv::Root() + "/recordings";
        profile->position.clear();
        profile->starthide = false;
        profile->SetChanged();
        profile->Save();
        CGeneralProfile::Release();
        QDir(testenv::Root() + "/recordings").removeRecursively();
        QDir().mkpath(testenv::Root() + "/recordings");
        QFile::remove(CHistoryStore::DefaultPath());
    }
    void TearDown() override
    {
        window.reset();
        sim.Stop();
        SetOpenUrlHandler(nullptr);
        CSkypeLink::SetTimings(SkypeLinkTimings{});
    }
    CHelloWorldDlg* Open(bool show = true)
    {
        MainWindowOptions options;
        options.recorder.elapsedMs = 100; // one displayed second every 100 ms
        options.startUpdateCheck = false;
        options.trayIcon = false;
        window = std::make_unique<CHelloWorldDlg>(options);
        window->Initialise();
        if (show)
            window->show();
        return window.get();
    }
    QRect Rect(int id) { return window->Control(id)->geometry(); }

    testenv::SkypeSimProcess sim;
    std::unique_ptr<CHelloWorldDlg> window;
    QStringList opened;
};

TEST_F(MainWindowTest, LayoutAndTextsBeforeAndAfterAttach)
{
    Open();
    EXPECT_EQ(window->size(), QSize(438, 98));
    EXPECT_EQ(window->StatusText(), "Waiting to access Skype ...");
    EXPECT_EQ(window->UserLabelText(), "Searching for Skype");
    EXPECT_EQ(window->ElapsedText(), "Waiting...");
    EXPECT_FALSE(window->Control(IDC_START_STOP)->isEnabled());
    EXPECT_FALSE(window->Control(IDC_PAUSE_RESUME)->isEnabled());
    testenv::Pump(20);
    SaveScreenshot(window.get(), "main_before_attach");

    // The layout table.
    struct Place {
        int id;
        QRect rect;
    } places[] = {
        {IDC_HIDE, {421, 1, 16, 16}},         {IDC_TOPMOST, {406, 1, 15, 15}},
        {IDC_STICK, {391, 1, 15, 15}},        {IDC_START_STOP, {16, 30, 32, 32}},
        {IDC_PAUSE_RESUME, {56, 30, 32, 32}}, {IDC_MARK_OWN, {98, 30, 12, 12}},
        {IDC_MARK_REMOTE, {98, 37, 10, 10}},  {IDC_LEVEL_OWN, {110, 33, 91, 6}},
        {IDC_LEVEL_REMOTE, {108, 40, 91, 6}}, {IDC_HISTORY, {298, 30, 32, 32}},
        {IDC_OPTIONS, {340, 30, 32, 32}},     {IDC_HELP, {382, 30, 32, 32}},
    };
    for (const auto& p : places)
        EXPECT_EQ(Rect(p.id), p.rect) << "control " << p.id;
    EXPECT_EQ(Rect(IDC_USER_LABEL).topLeft(), QPoint(5, 78));
    EXPECT_EQ(Rect(IDC_STATUS_LABEL).left(), Rect(IDC_USER_LABEL).right() + 1);
    EXPECT_EQ(Rect(IDC_STATUS_LABEL).right(), 438 - 10 - 1);
    EXPECT_EQ(Rect(IDC_STATUS_LABEL).top(), 78);
    EXPECT_EQ(window->ElapsedRect(), QRect(QPoint(204, 30), QPoint(275, 61)));
    EXPECT_EQ(window->Control(IDC_START_STOP)->toolTip(), "Start Recording");
    EXPECT_EQ(window->Control(IDC_HIDE)->toolTip(), "Hide");
    EXPECT_EQ(window->Control(IDC_STICK)->toolTip(), "Stick to Skype");

    ASSERT_TRUE(sim.Start({"--user", "kestrel.tester"}));
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Ready for recording ..."; }));
    EXPECT_EQ(window->UserLabelText(), "kestrel.tester");
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusIconIndex() == 2; })); // online
    EXPECT_EQ(window->ElapsedText(), "Ready");
    testenv::Pump(20);
    SaveScreenshot(window.get(), "main_ready");

    sim.Write("userstatus AWAY");
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->StatusIconIndex() == 3; }));
}

TEST_F(MainWindowTest, CallIsRecordedPausedResumedAndEnteredInTheHistory)
{
    Open();
    ASSERT_TRUE(sim.Start({"--user", "kestrel.tester", "--own-tone", "440", "--remote-tone", "660"}));
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Ready for recording ..."; }));
    sim.Write("incoming 41 alice");
    ASSERT_GE(sim.WaitForLine("SENT CALL 41 PARTNER_HANDLE alice"), 0);
    sim.Write("answer 41");
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Recording in progress ..."; }));
    EXPECT_EQ(window->Control(IDC_START_STOP)->toolTip(), "Stop Recording");
    EXPECT_TRUE(window->Control(IDC_PAUSE_RESUME)->isEnabled());
    // Audio arrives: the meters move, the elapsed box counts.
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->LevelOwn() > 0 && window->LevelRemote() > 0; }));
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->ElapsedText() == "00:00:03"; }));
    SaveScreenshot(window.get(), "main_recording");

    static_cast<QAbstractButton*>(window->Control(IDC_PAUSE_RESUME))->click();
    EXPECT_EQ(window->StatusText(), "Recording pause ...");
    EXPECT_EQ(window->Control(IDC_PAUSE_RESUME)->toolTip(), "Resume Recording");
    const QString frozen = window->ElapsedText();
    testenv::Pump(350);
    EXPECT_EQ(window->ElapsedText(), frozen);
    SaveScreenshot(window.get(), "main_paused");
    static_cast<QAbstractButton*>(window->Control(IDC_PAUSE_RESUME))->click();
    EXPECT_EQ(window->StatusText(), "Recording in progress ...");

    sim.Write("finish 41");
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Ready for recording ..."; }));
    EXPECT_EQ(window->ElapsedText(), "Ready");
    EXPECT_EQ(window->LevelOwn(), 0);
    EXPECT_EQ(window->LevelRemote(), 0);
    EXPECT_FALSE(window->Control(IDC_START_STOP)->isEnabled());

    // One MP3 named after the partner and the local time, in the recordings folder.
    const QStringList files = QDir(testenv::Root() + "/recordings").entryList({"*.mp3"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^alice_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.mp3$").match(files[0]).hasMatch())
        << files[0].toStdString();
    ASSERT_TRUE(testenv::WaitUntil([&] { return CHistoryStore::Instance()->GetCount() == 1; }));
    CHistoryRecord record;
    ASSERT_TRUE(CHistoryStore::Instance()->GetRecord(0, record));
    EXPECT_EQ(record.name, "alice");
    EXPECT_EQ(record.type, 1);
    EXPECT_EQ(record.file, testenv::Root() + "/recordings/" + files[0]);

    const auto mp3 = audiotest::DecodeMp3(record.file);
    ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
    EXPECT_EQ(mp3.rate, 32000); // the defaults: 32 kHz, 64 kbit/s, stereo
    EXPECT_EQ(mp3.bitrate, 64);
    EXPECT_EQ(mp3.channels, 2);
}

TEST_F(MainWindowTest, ExitWhileRecordingWritesNoEntryAndSavesThePosition)
{
    Open();
    window->move(120, 140);
    ASSERT_TRUE(sim.Start({"--user", "kestrel.tester"}));
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Ready for recording ..."; }));
    sim.Write("incoming 7 bob");
    sim.Write("answer 7");
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Recording in progress ..."; }));
    testenv::Pump(200);
    window->DestroyOnce();
    window.reset();

    CHistoryStore store;
    store.Open(CHistoryStore::DefaultPath());
    EXPECT_EQ(store.GetCount(), 0);
    auto* profile = CGeneralProfile::Instance();
    profile->Load();
    EXPECT_TRUE(profile->position.startsWith("120,140,")) << profile->position.toStdString();
    CGeneralProfile::Release();
}

TEST_F(MainWindowTest, RefusalTellsTheUserAndOpensTheHelpPage)
{
    Open();
    ASSERT_TRUE(sim.Start({"--attach", "refuse"}));
    ASSERT_TRUE(testenv::WaitUntil([&] { return !testenv::MessageBoxRecorder::Instance().Calls().empty(); }));
    const auto call = testenv::MessageBoxRecorder::Instance().Calls().front();
    EXPECT_EQ(call.caption, "Kestrel");
    EXPECT_TRUE(call.text.startsWith("Your skype refused me to access it.\nPlease visit the page (https://"));
    EXPECT_TRUE(call.text.endsWith("connect_to_skype_issue.htm) to resolve the issue!"));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].endsWith("/connect_to_skype_issue.htm"));
    EXPECT_TRUE(call.text.contains(opened[0]));
}

TEST_F(MainWindowTest, PositionIsRestoredOnlyWhenValidAndInsideTheWorkArea)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        QString position;
        bool moves;
    } cases[] = {
        {"100,120,538,218", true},
        {"100,120", false},                 // two fields
        {"-5,120,433,218", false},           // negative
        {"100,120,538", true},               // three fields are enough
        {QString("%1,120,0,0").arg(work.right() - 100), false}, // would reach past the right edge
        {"0,120,438,218", false},            // on the work area's left edge: not strictly inside
        {"abc,120,438,218", false},
    };
    for (const auto& c : cases) {
        auto* profile = CGeneralProfile::Instance();
        profile->Load();
        profile->position = c.position;
        profile->SetChanged();
        profile->Save();
        CGeneralProfile::Release();
        Open(false);
        if (c.moves)
            EXPECT_EQ(window->pos(), QPoint(100, 120)) << c.position.toStdString();
        else
            EXPECT_EQ(window->pos(), QPoint(0, 0)) << c.position.toStdString();
        window.reset();
    }
}

TEST_F(MainWindowTest, StartHiddenShowsThePopupInstead)
{
    auto* profile = CGeneralProfile::Instance();
    profile->Load();
    profile->starthide = true;
    profile->SetChanged();
    profile->Save();
    CGeneralProfile::Release();
    Open();
    ASSERT_TRUE(testenv::WaitUntil([&] { return !window->isVisible(); }));
    ASSERT_NE(window->Notifier(), nullptr);
    EXPECT_EQ(window->Notifier()->Text(), "Kestrel is Running!");
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->Notifier()->isVisible(); }));
    testenv::Pump(50);
    SaveScreenshot(window->Notifier(), "popup_running");
    // Shown again later (from the tray), it stays.
    window->BringToFront();
    testenv::Pump(50);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, DragTopMostHideAndLevels)
{
    Open();
    window->move(50, 60);
    // Dragged by its background like a caption.
    const QPoint from(200, 20);
    QMouseEvent press(QEvent::MouseButtonPress, from, window->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(window.get(), &press);
    const QPoint to(230, 45);
    QMouseEvent move(QEvent::MouseMove, to, window->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, window->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(window.get(), &release);
    EXPECT_EQ(window->pos(), QPoint(80, 85));

    // Levels arrive as posted messages and set the meters directly.
    PostMessage(window->Handle(), WM_LEVEL_OWN, 300, 0);
    PostMessage(window->Handle(), WM_LEVEL_REMOTE, 512, 0);
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->LevelOwn() == 300 && window->LevelRemote() == 512; }));

    // Top-most is switched and saved at once.
    static_cast<QAbstractButton*>(window->Control(IDC_TOPMOST))->click();
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    QFile reg(Folders::AppConfig() + "/registry.reg");
    ASSERT_TRUE(reg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(reg.readAll().contains("\"topmost\"=hex:01"));
    reg.close();
    static_cast<QAbstractButton*>(window->Control(IDC_TOPMOST))->click();
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);

    // Hide hides the window; the program goes on.
    static_cast<QAbstractButton*>(window->Control(IDC_HIDE))->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
}

// The real program: a second copy ends at once with status 0, and SIGTERM ends the first one
// through its normal end, which saves the settings.
TEST(KestrelProgram, SecondCopyExitsSilently)
{
    const QString kestrel = qEnvironmentVariable("KESTREL_BINARY");
    ASSERT_FALSE(kestrel.isEmpty());
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(kestrel, {});
    ASSERT_TRUE(first.waitForStarted());
    const QString lock = Folders::RuntimeDir() + "/KESTREL_CALLRECORDER.lock";
    ASSERT_TRUE(testenv::WaitUntil([&] { return QFile::exists(lock); }, 10000));
    testenv::Pump(300);

    QProcess second;
    second.start(kestrel, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(lock));
    EXPECT_TRUE(QFile::exists(Folders::AppConfig() + "/registry.reg"));
}

} // namespace
