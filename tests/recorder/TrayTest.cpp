// The tray icon's menu and commands on the real main window (offscreen, so without a tray on
// the desktop and without a client window to dock to), and the docked bar's picture and shape.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>

#include "audio/AudioMixer.h"
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

namespace {

constexpr LPARAM kRightButtonDown = 0x0204;

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testenv::UseFastLinkTimings();
        QFile::remove(Folders::AppConfig() + "/registry.reg");
        QFile::remove(CHistoryStore::DefaultPath());
        auto* profile = CGeneralProfile::Instance();
        profile->Load();
        profile->sfolder = testenv::Root() + "/recordings";
        profile->SetChanged();
        profile->Save();
        CGeneralProfile::Release();
        QDir().mkpath(testenv::Root() + "/recordings");

        MainWindowOptions options;
        options.capture.ownPort = 0;
        options.capture.remotePort = 0;
        options.startUpdateCheck = false;
        options.trayIcon = true; // no tray offscreen: Kestrel runs on without the icon
        window = std::make_unique<CHelloWorldDlg>(options);
        window->Initialise();
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        sim.Stop();
        CSkypeLink::SetTimings(SkypeLinkTimings{});
    }
    // The settings as stored in the registry file.
    static std::unique_ptr<CGeneralProfile> Stored()
    {
        auto stored = std::make_unique<CGeneralProfile>();
        stored->Load();
        return stored;
    }
    // A right click on the icon choosing command (0: the menu is dismissed); the menu is kept
    // as it was shown: text and check mark of every item, "-" for separators.
    QStringList RightClick(int command, WPARAM iconId = kTrayIconId)
    {
        QStringList shown;
        window->TrayIcon()->SetMenuTracker([&](QMenu& menu, const QPoint&) {
            for (QAction* a : menu.actions())
                shown << (a->isSeparator() ? QStringLiteral("-")
                                           : (a->isChecked() ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + a->text());
            return command;
        });
        PostMessage(window->Handle(), WM_TRAYICON_NOTIFY, iconId, WM_RBUTTONUP);
        testenv::Pump(20);
        return shown;
    }

    std::unique_ptr<CHelloWorldDlg> window;
    testenv::SkypeSimProcess sim;
};

TEST_F(TrayTest, MenuShowsTheSettingsAsCheckMarks)
{
    EXPECT_FALSE(window->TrayIcon()->IsShown()); // no tray here, and Kestrel runs all the same
    struct Case {
        int recside;
        bool rectype, chatreply;
        const char *mine, *remote, *both;
    } cases[] = {
        {0, true, true, "[ ]", "[ ]", "[x]"},
        {1, false, true, "[x]", "[ ]", "[ ]"},
        {2, true, false, "[ ]", "[x]", "[ ]"},
        {5, false, false, "[ ]", "[x]", "[ ]"}, // a hand-written value counts as the remote side
    };
    auto* profile = CGeneralProfile::Instance();
    for (const Case& c : cases) {
        profile->recside = c.recside;
        profile->rectype = c.rectype;
        profile->chatreply = c.chatreply;
        const QString mark[2] = {"[ ]", "[x]"};
        EXPECT_EQ(RightClick(0), (QStringList{"[ ] Stick to Skype", "-",
                                             QString(c.mine) + " Only Record My Side",
                                             QString(c.remote) + " Only Record Remote Side",
                                             QString(c.both) + " Record Both Sides",
                                             mark[c.rectype] + " Enable Auto Recording", "-",
                                             mark[c.chatreply] + " Enable Auto Chat Reply", "-", "[ ] Exit"}))
            << "recside " << c.recside;
    }
    // Another icon's notification is not ours.
    EXPECT_TRUE(RightClick(0, 2).isEmpty());
}

TEST_F(TrayTest, EachCommandChangesAndSavesItsSetting)
{
    auto* profile = CGeneralProfile::Instance();
    ASSERT_EQ(Stored()->recside, 0);
    RightClick(ID_TRAY_MY_SIDE);
    EXPECT_EQ(profile->recside, 1);
    EXPECT_EQ(Stored()->recside, 1);
    RightClick(ID_TRAY_REMOTE_SIDE);
    EXPECT_EQ(Stored()->recside, 2);
    // Choosing the side already checked saves it again: a value changed in memory only is
    // overwritten in the file.
    RightClick(ID_TRAY_BOTH_SIDES);
    EXPECT_EQ(Stored()->recside, 0);
    profile->recside = 0;
    profile->amode = 0; // changed, not yet saved
    RightClick(ID_TRAY_BOTH_SIDES);
    EXPECT_EQ(Stored()->amode, 0);

    const bool rectype = profile->rectype, chatreply = profile->chatreply;
    RightClick(ID_TRAY_AUTO_RECORD);
    EXPECT_EQ(Stored()->rectype, !rectype);
    RightClick(ID_TRAY_AUTO_RECORD);
    EXPECT_EQ(Stored()->rectype, rectype);
    RightClick(ID_TRAY_CHAT_REPLY);
    EXPECT_EQ(Stored()->chatreply, !chatreply);
    EXPECT_EQ(profile->chatreply, !chatreply);

    // Docking with no client window (offscreen none is ever found) switches the setting back.
    RightClick(ID_TRAY_STICK);
    EXPECT_FALSE(profile->sticksky);
    EXPECT_FALSE(Stored()->sticksky);
    EXPECT_FALSE(window->Docking()->IsDocked());
    EXPECT_TRUE(window->Control(IDC_HIDE)->isVisible());

    // A dismissed menu changes nothing.
    profile->recside = 2;
    RightClick(0);
    EXPECT_EQ(Stored()->recside, 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TrayTest, LeftClickBringsTheMainWindowBack)
{
    window->hide();
    PostMessage(window->Handle(), WM_TRAYICON_NOTIFY, kTrayIconId, WM_LBUTTONUP);
    EXPECT_TRUE(testenv::WaitUntil([&] { return window->isVisible(); }, 2000));
    window->hide();
    PostMessage(window->Handle(), WM_TRAYICON_NOTIFY, kTrayIconId, kRightButtonDown);
    testenv::Pump(50);
    EXPECT_FALSE(window->isVisible()); // other mouse messages are ignored
}

TEST_F(TrayTest, ExitDuringARecordingAbortsTheMixerAndWritesNoEntry)
{
    ASSERT_TRUE(sim.Start({"--user", "kestrel.tester"}));
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Ready for recording ..."; }, 10000));
    sim.Write("incoming 7 bob");
    sim.Write("answer 7");
    ASSERT_TRUE(testenv::WaitUntil([&] { return window->StatusText() == "Recording in progress ..."; }, 10000));
    CAudioMixer* mixer = window->Capture()->Mixer();
    ASSERT_TRUE(mixer && mixer->IsThreadRunning());

    RightClick(ID_TRAY_EXIT);
    EXPECT_TRUE(mixer->WaitThreadEnd(2000));
    EXPECT_FALSE(window->isVisible());
    window->DestroyOnce();
    window.reset();
    CHistoryStore store;
    store.Open(CHistoryStore::DefaultPath());
    EXPECT_EQ(store.GetCount(), 0);
}

// ---- the docked bar's picture and shape ---------------------------------------------------------

TEST(DockBar, PictureIsComposedFromThePiecesAndShapedByItsWhitePixels)
{
    const QImage left = ui::LoadBitmapImage(ui::IDB_BAR_LEFT).convertToFormat(QImage::Format_RGB32);
    const QImage right = ui::LoadBitmapImage(ui::IDB_BAR_RIGHT).convertToFormat(QImage::Format_RGB32);
    const QImage centre = ui::LoadBitmapImage(ui::IDB_BAR_CENTRE).convertToFormat(QImage::Format_RGB32);
    const QImage filler = ui::LoadBitmapImage(ui::IDB_BAR_FILLER).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(left.size(), QSize(37, 45));
    ASSERT_EQ(centre.size(), QSize(426, 45));
    EXPECT_TRUE(CDocking::BuildBar(499, left, right, centre, filler).isNull());

    for (int width : {508, 777}) {
        const QImage bar = CDocking::BuildBar(width, left, right, centre, filler).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(bar.size(), QSize(width, 45));
        const int side = (width - 426) / 2;
        // Which piece shows at column x: centre over the fillers and caps, the right cap over
        // the right fillers, fillers repeating from x = 37 on the left and x = W - side - 1 on
        // the right.
        auto expected = [&](int x, int y) -> QRgb {
            if (x >= side && x < side + 426)
                return centre.pixel(x - side, y);
            if (x >= width - 37)
                return right.pixel(x - (width - 37), y);
            if (x >= width - side - 1)
                return filler.pixel((x - (width - side - 1)) % 11, y);
            if (x >= 37)
                return filler.pixel((x - 37) % 11, y);
            return left.pixel(x, y);
        };
        int holes = 0;
        const QRegion shape = CDocking::RegionFromBitmap(bar, ui::kDockBarKey);
        for (int y = 0; y < 45; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(bar.pixel(x, y), expected(x, y)) << "width " << width << " at " << x << "," << y;
                const bool white = (bar.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
                holes += white;
                ASSERT_EQ(shape.contains(QPoint(x, y)), !white) << "width " << width << " at " << x << "," << y;
            }
        }
        EXPECT_GT(holes, 0) << "the bar's corners are white holes";
        EXPECT_EQ(shape.boundingRect().right(), width - 1) << "every column is kept";
    }
}

TEST(DockBar, KeyIsRedAndBlueOfTheKeyWithFullGreen)
{
    QImage img(4, 1, QImage::Format_RGB32);
    const QRgb pixels[] = {qRgb(255, 255, 255), qRgb(255, 254, 255), qRgb(0, 255, 0), qRgb(0, 255, 1)};
    for (int x = 0; x < 4; ++x)
        img.setPixel(x, 0, pixels[x]);
    const QRegion white = CDocking::RegionFromBitmap(img, ui::kDockBarKey);
    EXPECT_EQ(white, QRegion(1, 0, 3, 1));
    const QRegion green = CDocking::RegionFromBitmap(img, ui::kMainWindowKey);
    EXPECT_EQ(green, QRegion(0, 0, 2, 1) + QRegion(3, 0, 1, 1));
}

} // namespace
