#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/MessageWindow.h"
#include "support/TestEnv.h"

namespace {

struct Received {
    UINT msg;
    WPARAM w;
    LPARAM l;
    Qt::HANDLE thread;
};

class RecordingWindow : public CMessageWindow {
public:
    ~RecordingWindow() override { DestroyWindowHandle(); }
    bool OnWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override
    {
        if (!Map().Dispatch(this, msg, w, l, result))
            return false;
        received.push_back({msg, w, l, QThread::currentThreadId()});
        return true;
    }
    LRESULT OnAdd(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; }
    LRESULT OnOther(WPARAM, LPARAM) { return 7; }
    static const CMessageMap<RecordingWindow>& Map()
    {
        static const CMessageMap<RecordingWindow> map{
            {WM_USER + 1, &RecordingWindow::OnAdd},
            {WM_USER + 2, &RecordingWindow::OnOther},
        };
        return map;
    }
    std::vector<Received> received;
};

TEST(MessageWindow, PostsFromManyThreadsArriveInOrderOnOwnerThread)
{
    RecordingWindow window;
    const HWND handle = window.Handle();
    constexpr int kPerThread = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([=] {
            for (int i = 0; i < kPerThread; ++i)
                ASSERT_TRUE(PostMessage(handle, WM_USER + 1, t, i));
        });
    for (auto& t : threads)
        t.join();
    ASSERT_TRUE(testenv::WaitUntil([&] { return window.received.size() == 4 * kPerThread; }));
    // Per posting thread, the messages arrive in the order they were posted.
    std::vector<LPARAM> next(4, 0);
    for (const auto& r : window.received) {
        EXPECT_EQ(r.thread, QThread::currentThreadId());
        EXPECT_EQ(r.l, next[r.w]++);
    }
}

TEST(MessageWindow, PostToGoneWindowIsHarmlessAndFalse)
{
    HWND handle;
    {
        RecordingWindow window;
        handle = window.Handle();
        EXPECT_TRUE(PostMessage(handle, WM_USER + 1, 1, 1)); // pending when the window goes
        EXPECT_TRUE(IsWindow(handle));
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, WM_USER + 1, 1, 1));
    EXPECT_FALSE(PostMessage(kNoWindow, WM_USER + 1, 1, 1));
    testenv::Pump(20); // the pending message must not reach the freed window
}

TEST(MessageWindow, SendRunsHandlerOnOwnerThreadAndReturnsItsResult)
{
    RecordingWindow window;
    EXPECT_EQ(SendMessage(window.Handle(), WM_USER + 1, 2, 3), 5);
    EXPECT_EQ(SendMessage(window.Handle(), WM_USER + 99, 2, 3), 0); // not in the map

    LRESULT fromThread = 0;
    std::thread other([&] { fromThread = SendMessage(window.Handle(), WM_USER + 2, 0, 0); });
    ASSERT_TRUE(testenv::WaitUntil([&] { return window.received.size() == 2; }));
    other.join();
    EXPECT_EQ(fromThread, 7);
    EXPECT_EQ(window.received.back().thread, QThread::currentThreadId());
}

} // namespace
