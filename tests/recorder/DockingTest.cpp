// Docking Kestrel's main window under skypesim's X11 window (Xvfb, no window manager). The poll
// is driven tick by tick; the client's geometry is read back with plain Xlib.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "history/HistoryStore.h"
#include "platform/Folders.h"
#include "recorder/Docking.h"
#include "recorder/HelloWorldDlg.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeLink.h"
#include "support/LinkTimings.h"
#include "support/SkypeSimProcess.h"
#include "support/TestEnv.h"
#include "ui/Resources.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// The client window's rectangle as the X server has it; empty when it is gone.
QRect ClientGeometry(unsigned long window)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return {};
    QRect result;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (XGetGeometry(display, window, &root, &x, &y, &w, &h, &border, &depth) &&
        XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child))
        result = QRect(x, y, int(w), int(h));
    XSync(display, False);
    XCloseDisplay(display);
    return result;
}

void SaveScreenshot(const QImage& image, const QString& name)
{
    QString dir = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    if (dir.isEmpty())
        dir = testenv::Root() + "/screenshots";
    QDir().mkpath(dir);
    ASSERT_TRUE(image.save(dir + "/" + name + ".png"));
}

class DockingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"));
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        testenv::UseFastLinkTimings();
        QFile::remove(Folders::AppConfig() + "/registry.reg");
        QFile::remove(CHistoryStore::DefaultPath());
    }
    void TearDown() override
    {
        window.reset();
        sim.Stop();
        CSkypeLink::SetTimings(SkypeLinkTimings{});
    }
    void Open()
    {
        MainWindowOptions options;
        options.capture.ownPort = 0;
        options.capture.remotePort = 0;
        options.startUpdateCheck = false;
        options.trayIcon = false;
        window = std::make_unique<CHelloWorldDlg>(options);
        window->Initialise();
        window->Docking()->Timer().stop(); // ticks are driven by the test
        window->move(40, 60);
        window->show();
        ASSERT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(40, 60, 438, 98); }, 3000));
    }
    // One tick, and the X server's view of everything it changed.
    void Tick()
    {
        window->Docking()->Tick();
        testenv::Pump(30);
    }
    bool FloatingControlsShown()
    {
        for (int id : {IDC_HIDE, IDC_TOPMOST, IDC_STICK, IDC_USER_LABEL, IDC_STATUS_LABEL})
            if (!window->Control(id)->isVisible())
                return false;
        return true;
    }
    bool FloatingControlsHidden()
    {
        for (int id : {IDC_HIDE, IDC_TOPMOST, IDC_STICK, IDC_USER_LABEL, IDC_STATUS_LABEL})
            if (!window->Control(id)->isHidden())
                return false;
        return true;
    }
    unsigned long Client() { return static_cast<unsigned long>(window->Docking()->ClientWindow()); }
    void Geometry(int x, int y, int w, int h)
    {
        const int from = sim.LineCount();
        sim.Write(QStringLiteral("window geometry %1 %2 %3 %4").arg(x).arg(y).arg(w).arg(h));
        ASSERT_GE(sim.WaitForLine("WINDOW geometry", 3000, from), 0);
    }
    bool StoredStickSky()
    {
        CGeneralProfile stored;
        stored.Load();
        return stored.sticksky;
    }

    std::unique_ptr<CHelloWorldDlg> window;
    testenv::SkypeSimProcess sim;
};

TEST_F(DockingTest, BarFollowsTheClientWindowAndLeavesWithIt)
{
    ASSERT_TRUE(sim.Start({"--window", "--user", "kestrel.tester"}));
    Geometry(100, 100, 480, 600);
    Open();
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Ready for recording ..."; }, 10000));

    // The first tick finds the client; the main window stays free-floating.
    Tick();
    ASSERT_NE(Client(), 0u);
    EXPECT_FALSE(window->Docking()->IsDocked());
    EXPECT_TRUE(FloatingControlsShown());
    EXPECT_EQ(window->Docking()->UndockedRect(), QRect(40, 60, 438, 98));

    // Stick to Skype: the 480-pixel client is widened to 508 in place; one tick puts the bar
    // under it.
    static_cast<QAbstractButton*>(window->Control(IDC_STICK))->click();
    EXPECT_TRUE(window->Docking()->IsDocked());
    EXPECT_TRUE(StoredStickSky());
    EXPECT_EQ(ClientGeometry(Client()), QRect(100, 100, 508, 600));
    EXPECT_TRUE(FloatingControlsHidden());
    Tick();
    const QRect bar(100, 700, 508, 45);
    EXPECT_EQ(window->Docking()->DockRect(), bar);
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->geometry() == bar; }, 2000));
    EXPECT_EQ(window->Docking()->BarBuilds(), 1);
    EXPECT_EQ(window->mask(), CDocking::RegionFromBitmap(window->Docking()->Bar(), ui::kDockBarKey));
    // The docked layout: the buttons sit in the bar's centre piece.
    const int a = (508 - 426) / 2;
    EXPECT_EQ(window->Control(IDC_START_STOP)->geometry(), QRect(a + 11, 7, 32, 32));
    EXPECT_EQ(window->Control(IDC_PAUSE_RESUME)->geometry(), QRect(a + 53, 7, 32, 32));
    const int meterRight = window->Control(IDC_LEVEL_OWN)->geometry().right() + 1;
    EXPECT_EQ(window->Control(IDC_HISTORY)->geometry().topLeft(), QPoint(meterRight + 102, 5));
    EXPECT_EQ(window->ElapsedRect(), QRect(meterRight + 3, 6, 72, 32));
    testenv::Pump(100);
    SaveScreenshot(window->grab().toImage(), "docked_bar");
    SaveScreenshot(QGuiApplication::primaryScreen()->grabWindow(0, 60, 60, 620, 720).toImage(), "docked_under_client");

    // A move without a resize: the bar follows, its picture is not rebuilt.
    Geometry(300, 150, 508, 600);
    Tick();
    EXPECT_EQ(window->Docking()->DockRect(), QRect(300, 750, 508, 45));
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(300, 750, 508, 45); }, 2000));
    EXPECT_EQ(window->Docking()->BarBuilds(), 1);
    Tick();
    EXPECT_EQ(window->Docking()->BarBuilds(), 1);

    // A wider client: a new picture and shape.
    Geometry(300, 150, 640, 600);
    Tick();
    EXPECT_EQ(window->Docking()->BarBuilds(), 2);
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(300, 750, 640, 45); }, 2000));
    EXPECT_EQ(window->mask(), CDocking::RegionFromBitmap(window->Docking()->Bar(), ui::kDockBarKey));

    // The client's bottom 20 pixels above the work area's bottom: the client is shortened so
    // that the bar ends exactly there.
    const QRect work = window->Docking()->WorkArea();
    const int workBottom = work.y() + work.height();
    Geometry(300, 404, 640, workBottom - 20 - 404);
    Tick();
    const QRect client = ClientGeometry(Client());
    EXPECT_EQ(client.y() + client.height(), workBottom - 45);
    EXPECT_EQ(client.topLeft(), QPoint(300, 404));
    EXPECT_EQ(window->Docking()->DockRect(), QRect(300, workBottom - 45, 640, 45));
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->geometry().bottom() + 1 == workBottom; }, 2000));

    // Minimised and restored: the bar goes and comes back.
    sim.Write("window minimize");
    EXPECT_TRUE(testenv::WaitUntil([&] { return !window->isVisible(); }, 5000));
    Tick();
    EXPECT_FALSE(window->isVisible());
    sim.Write("window restore");
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->isVisible(); }, 5000));

    // The client quits: back to the free-floating place and shape with the five controls;
    // the setting stays, so the bar comes back with the client.
    sim.Write("window close");
    ASSERT_GE(sim.WaitForLine("WINDOW closed"), 0);
    Tick();
    EXPECT_EQ(Client(), 0u);
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(40, 60, 438, 98); }, 2000));
    EXPECT_TRUE(FloatingControlsShown());
    EXPECT_EQ(window->mask(), CDocking::FloatingRegion());
    EXPECT_TRUE(window->Docking()->IsDocked());
    EXPECT_TRUE(StoredStickSky());
    Tick(); // still no client: nothing changes
    EXPECT_TRUE(FloatingControlsShown());
}

TEST_F(DockingTest, UndockingReturnsToTheFreeFloatingWindow)
{
    ASSERT_TRUE(sim.Start({"--window"}));
    Geometry(200, 120, 600, 500);
    Open();
    Tick();
    ASSERT_NE(Client(), 0u);
    window->ToggleStick();
    Tick();
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(200, 620, 600, 45); }, 2000));
    window->ToggleStick();
    EXPECT_FALSE(window->Docking()->IsDocked());
    EXPECT_FALSE(StoredStickSky());
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(40, 60, 438, 98); }, 2000));
    EXPECT_TRUE(FloatingControlsShown());
    EXPECT_EQ(window->mask(), CDocking::FloatingRegion());
    // Free-floating, the client's moves are not followed.
    Geometry(250, 120, 600, 500);
    Tick();
    EXPECT_EQ(window->geometry(), QRect(40, 60, 438, 98));
    // Docking again jumps to the last docked place; the tick corrects it.
    window->ToggleStick();
    Tick();
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(250, 620, 600, 45); }, 2000));
}

TEST_F(DockingTest, StartingDockedWithoutAClientWaitsForIt)
{
    {
        CGeneralProfile profile;
        profile.Load();
        profile.sticksky = true;
        profile.SetChanged();
        profile.Save();
    }
    Open();
    EXPECT_TRUE(window->Docking()->IsDocked());
    EXPECT_TRUE(FloatingControlsHidden());
    Tick(); // no client: the controls come back
    EXPECT_TRUE(FloatingControlsShown());
    ASSERT_TRUE(sim.Start({"--window"}));
    Geometry(120, 80, 520, 400);
    Tick(); // found
    EXPECT_NE(Client(), 0u);
    EXPECT_TRUE(FloatingControlsHidden());
    Tick(); // placed
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->geometry() == QRect(120, 480, 520, 45); }, 2000));
}

} // namespace
