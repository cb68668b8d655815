// The history window inside the main window: created hidden at start-up with every stored
// record, toggled by the History button and placed under the main window, hidden with it,
// finished recordings added with a recount, destroyed at the end with its position saved.
#include <QAbstractButton>
#include <QFile>

#include <memory>

#include "history/DlgRecHistory.h"
#include "history/HistoryStore.h"
#include "platform/Folders.h"
#include "recorder/HelloWorldDlg.h"
#include "settings/GeneralProfile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

CHistoryRecord Rec(const QString& name, qint64 time, bool isNew)
{
    CHistoryRecord r;
    r.name = name;
    r.time = QString::number(time);
    r.isNew = isNew;
    r.type = RecordIncoming;
    r.duration = 30;
    r.file = testenv::Root() + "/Documents/Morvex/" + name + ".mp3";
    return r;
}

TEST(HistoryHooksTest, MainWindowOwnsTheHistoryWindow)
{
    Folders::Ensure(Folders::AppData());
    QFile::remove(CHistoryStore::DefaultPath());
    {
        CHistoryStore* store = CHistoryStore::Instance();
        store->Open(CHistoryStore::DefaultPath());
        store->Add(Rec("alice", 1726000000, true));
        store->Add(Rec("bob", 1726100000, false));
        store->Add(Rec("carol", 1726200000, true));
        CHistoryStore::Destroy();
        auto* profile = CGeneralProfile::Instance();
        profile->Load();
        profile->hispos = "100,200,500,400";
        profile->position.clear();
        profile->starthide = false;
        profile->sticksky = false;
        profile->SetChanged();
        profile->Save();
        CGeneralProfile::Release();
    }

    MainWindowOptions options;
    options.capture.ownPort = 0;
    options.capture.remotePort = 0;
    options.startUpdateCheck = false;
    options.trayIcon = false;
    auto main = std::make_unique<CHelloWorldDlg>(options);
    main->Initialise();
    CDlgRecHistory* history = main->HistoryWindow();
    ASSERT_NE(history, nullptr);
    EXPECT_FALSE(history->isVisible());
    EXPECT_EQ(history->Counters().total, 3);
    EXPECT_EQ(history->Counters().newCount, 2);
    EXPECT_EQ(history->pos(), QPoint(100, 200));

    main->move(60, 70);
    main->show();
    testenv::Pump(30);
    auto click = [&](int id) { static_cast<QAbstractButton*>(main->Control(id))->click(); };
    click(IDC_HISTORY);
    EXPECT_TRUE(history->isVisible());
    const QRect frame = main->frameGeometry();
    EXPECT_EQ(history->pos(), QPoint(frame.left(), frame.top() + frame.height()));
    click(IDC_HISTORY);
    EXPECT_FALSE(history->isVisible());
    click(IDC_HISTORY);
    click(IDC_HIDE);
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(history->isVisible());

    // A finished recording: added and counted; shown when the settings ask.
    main->AddHistoryRecord(Rec("dave", 1726300000, true));
    EXPECT_EQ(history->Counters().total, 4);
    EXPECT_EQ(history->Counters().newCount, 3);
    main->ShowHistoryWindow();
    EXPECT_TRUE(history->isVisible());

    history->move(140, 150);
    main->DestroyOnce();
    EXPECT_EQ(main->HistoryWindow(), nullptr);
    main.reset();
    auto* profile = CGeneralProfile::Instance();
    profile->Load();
    EXPECT_TRUE(profile->hispos.startsWith("140,150,")) << qPrintable(profile->hispos);
    CGeneralProfile::Release();
}

} // namespace
