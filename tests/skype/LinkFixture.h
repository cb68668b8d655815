#pragma once
// Fixtures for the link's tests: an event recorder standing in for the main window, and a
// fresh link per test over the in-process transport with shortened timings.
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

#include "platform/MessageWindow.h"
#include "skype/LocalTransport.h"
#include "skype/SkypeLink.h"
#include "support/LinkTimings.h"
#include "support/TestEnv.h"

struct PostedEvent {
    UINT msg;
    WPARAM w;
    LPARAM l;
    bool operator==(const PostedEvent&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const PostedEvent& e)
{
    return os << "{0x" << std::hex << e.msg << std::dec << ", " << static_cast<std::int64_t>(e.w) << ", " << e.l
              << "}";
}

class EventRecorder : public CMessageWindow {
public:
    ~EventRecorder() override { DestroyWindowHandle(); }
    bool OnWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT&) override
    {
        events.push_back({msg, w, l});
        return true;
    }
    int Count(UINT msg) const
    {
        int n = 0;
        for (const auto& e : events)
            n += e.msg == msg;
        return n;
    }
    std::vector<PostedEvent> events;
};

inline SkypeLinkTimings FastTimings()
{
    SkypeLinkTimings t = testenv::FastLinkTimings();
    t.keepAliveMs = 60 * 60 * 1000; // ticks are driven by hand unless a test wants the timer
    t.openChatWaits = 60;
    t.openChatWaitMs = 3;
    t.openChatSettleMs = 20;
    return t;
}

// A link that is attached over the in-process transport; the test plays the client.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSkypeLink::SetTimings(FastTimings());
        CSkypeLink::ResetSendRetryBudget();
        CSkypeLink::SetTransportFactory([this] {
            auto t = std::make_unique<CLocalTransport>();
            transport = t.get();
            return t;
        });
    }
    void TearDown() override
    {
        CSkypeLink::Release();
        CSkypeLink::SetTransportFactory(nullptr);
        CSkypeLink::SetTimings(SkypeLinkTimings{});
    }
    CSkypeLink* Start()
    {
        link = CSkypeLink::Attach(events.Handle());
        return link;
    }
    // Waits until the client has received n texts.
    bool WaitSent(int n, int ms = 3000)
    {
        return testenv::WaitUntil([&] { return transport->Sent().size() >= n; }, ms);
    }

    EventRecorder events;
    CLocalTransport* transport = nullptr;
    CSkypeLink* link = nullptr;
};

// An attached link over the in-process transport whose attach commands have been sent; Drain()
// gives what the client received since the last call, once the queue has run empty.
class ParserTest : public LinkTest {
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        Start();
        transport->DeliverAttach(AttachSucceeded);
        Drain();
        Events();
    }
    QStringList Drain()
    {
        int stable = 0;
        qsizetype last = -1;
        testenv::WaitUntil([&] {
            const qsizetype n = transport->Sent().size();
            stable = (n == last && link->Queue().Size() == 0) ? stable + 1 : 0;
            last = n;
            return stable >= 10;
        });
        const QStringList all = transport->Sent();
        QStringList fresh = all.mid(m_drained);
        m_drained = all.size();
        return fresh;
    }
    std::vector<PostedEvent> Events()
    {
        testenv::Pump(5);
        auto e = events.events;
        events.events.clear();
        return e;
    }
    void Parse(const QString& text) { link->ParseNotification(text); }

private:
    qsizetype m_drained = 0;
};
