#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <thread>

#include "platform/Folders.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "support/TestEnv.h"

TEST(LastError, IsPerThread)
{
    SetLastError(ERROR_KESTREL_SHORT_WRITE);
    DWORD seenByOther = 1;
    std::thread([&] { seenByOther = GetLastError(); SetLastError(4355); }).join();
    EXPECT_EQ(seenByOther, 0u);
    EXPECT_EQ(GetLastError(), 4358u);
}

TEST(MessageBoxHook, CapturesCallsFromAnyThreadAndAnswers)
{
    auto& recorder = testenv::MessageBoxRecorder::Instance();
    recorder.Clear();
    recorder.SetAnswer(IDNO);
    int answer = 0;
    std::thread([&] { answer = MessageBox(kNoWindow, "Text", "Kestrel", MB_YESNO | MB_ICONQUESTION); }).join();
    EXPECT_EQ(answer, IDNO);
    auto calls = recorder.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, "Kestrel");
    EXPECT_EQ(calls[0].text, "Text");
    EXPECT_EQ(calls[0].type, MB_YESNO | MB_ICONQUESTION);
    recorder.Clear();
}

TEST(Folders, FollowTheXdgVariables)
{
    const QString root = testenv::Root();
    EXPECT_EQ(Folders::AppData(), root + "/data/Morvex");
    EXPECT_EQ(Folders::AppConfig(), root + "/config/Morvex");
    EXPECT_EQ(Folders::DefaultRecordings(), root + "/Documents/Morvex");
    EXPECT_EQ(Folders::RuntimeDir(), root + "/runtime");
    qputenv("XDG_DATA_HOME", "relative/path"); // not absolute: ignored, as the XDG rules say
    EXPECT_EQ(Folders::DataHome(), root + "/.local/share");
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    EXPECT_TRUE(Folders::Ensure(Folders::AppData()));
    EXPECT_TRUE(QDir(Folders::AppData()).exists());
}

#include "platform/SingleInstance.h"

TEST(SingleInstance, SecondCopyIsRefusedAndALeftoverLockIsTakenOver)
{
    CSingleInstance first("KESTREL_CALLRECORDER");
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Path().startsWith(testenv::Root() + "/runtime/"));
    CSingleInstance second("KESTREL_CALLRECORDER");
    EXPECT_FALSE(second.Acquire());

    // A lock left behind by a copy that died (its process no longer exists) does not count.
    QFile stale(testenv::Root() + "/runtime/KESTREL_STALE.lock");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999\nkestrel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    CSingleInstance after("KESTREL_STALE");
    EXPECT_TRUE(after.Acquire());
}
