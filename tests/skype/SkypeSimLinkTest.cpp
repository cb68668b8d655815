// The link against skypesim, the client stand-in, over the private session bus.
#include <QTcpServer>
#include <QTcpSocket>

#include "LinkFixture.h"
#include "support/SkypeSimProcess.h"

namespace {

const QStringList kAttachCommands{"get currentuserhandle", "get connstatus", "get userstatus", "search friends"};

class SimLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(testenv::SkypeSimProcess::Executable().isEmpty());
        auto t = FastTimings();
        t.keepAliveMs = 150;
        CSkypeLink::SetTimings(t);
        CSkypeLink::ResetSendRetryBudget();
    }
    void TearDown() override
    {
        CSkypeLink::Release();
        CSkypeLink::SetTimings(SkypeLinkTimings{});
    }
    CSkypeLink* Start() { return link = CSkypeLink::Attach(events.Handle()); }
    int Count(const QString& prefix)
    {
        int n = 0;
        for (const auto& l : sim.Lines())
            n += l.startsWith(prefix);
        return n;
    }
    bool WaitReceived(int n, int ms = 5000)
    {
        return testenv::WaitUntil([&] { return sim.Received().size() >= n; }, ms);
    }

    testenv::SkypeSimProcess sim;
    EventRecorder events;
    CSkypeLink* link = nullptr;
};

TEST_F(SimLinkTest, AttachSendsItsFourCommandsAndTakesTheAnswers)
{
    ASSERT_TRUE(sim.Start({"--user", "kestrel.tester"}));
    Start();
    ASSERT_TRUE(WaitReceived(4));
    EXPECT_EQ(sim.Received().mid(0, 4), kAttachCommands);
    ASSERT_TRUE(testenv::WaitUntil([&] { return events.Count(WM_SKYPE_ATTACHED) == 1; }));
    EXPECT_EQ(link->CurrentUserHandle(), "kestrel.tester");
    EXPECT_EQ(link->ClientWindow(), sim.ClientWindow());
    // The friends and their full names arrive, then one contacts event.
    ASSERT_TRUE(testenv::WaitUntil([&] { return events.Count(WM_SKYPE_CONTACTS) == 1; }));
    EXPECT_EQ(link->Contacts().FullNameOf("alice"), "Alice Smith");
    EXPECT_EQ(link->Contacts().Entries().size(), 3u);
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 1);
    EXPECT_GE(events.Count(WM_SKYPE_USERSTATUS), 2);
    // The keep-alive pings, and the answer keeps the link alive.
    ASSERT_TRUE(sim.WaitForLine("RECV ping") >= 0);
    testenv::Pump(400);
    EXPECT_EQ(link->MissedPings(), 0);
    EXPECT_TRUE(link->IsConnected());
}

TEST_F(SimLinkTest, PendingAuthorisationThenSuccessInitialisesOnce)
{
    ASSERT_TRUE(sim.Start({"--attach", "pending", "--pending-ms", "200"}));
    Start();
    ASSERT_GE(sim.WaitForLine("ATTACH") , 0);
    testenv::Pump(50);
    EXPECT_FALSE(link->IsConnected());
    ASSERT_TRUE(WaitReceived(4));
    testenv::Pump(100);
    EXPECT_EQ(sim.Received().filter("get currentuserhandle").size(), 1);
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 1);
}

TEST_F(SimLinkTest, RefusalIsReportedAndNothingIsSent)
{
    ASSERT_TRUE(sim.Start({"--attach", "refuse"}));
    Start();
    ASSERT_TRUE(testenv::WaitUntil([&] { return events.Count(WM_SKYPE_REFUSED) == 1; }));
    testenv::Pump(100);
    EXPECT_TRUE(sim.Received().isEmpty());
    EXPECT_FALSE(link->IsConnected());
}

TEST_F(SimLinkTest, LostClientIsRediscoveredThreeTimesThenClosed)
{
    ASSERT_TRUE(sim.Start());
    Start();
    ASSERT_TRUE(WaitReceived(4));
    sim.Write("unresponsive");
    // First tick pings (unanswered), the next three broadcast, the fourth closes.
    ASSERT_TRUE(testenv::WaitUntil([&] { return !link->IsConnected(); }, 5000));
    EXPECT_EQ(Count("DISCOVER"), 1 + 3);
    EXPECT_FALSE(link->KeepAliveRunning());
    testenv::Pump(400);
    EXPECT_EQ(Count("DISCOVER"), 4); // silent until the client says it is available

    // The client's "API available" brings a fresh attach with its four commands.
    const int before = sim.Received().filter("get currentuserhandle").size();
    sim.Write("responsive");
    sim.Write("available");
    ASSERT_TRUE(testenv::WaitUntil([&] { return sim.Received().filter("get currentuserhandle").size() == before + 1; }));
    EXPECT_TRUE(link->IsConnected());
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 2);
}

TEST_F(SimLinkTest, AnswerToARediscoverReattachesWithoutInitialisation)
{
    ASSERT_TRUE(sim.Start());
    Start();
    ASSERT_TRUE(WaitReceived(4));
    sim.Write("unresponsive");
    ASSERT_TRUE(testenv::WaitUntil([&] { return link->IsRediscovering(); }, 3000));
    sim.Write("responsive");
    ASSERT_TRUE(testenv::WaitUntil([&] { return !link->IsRediscovering(); }, 3000));
    testenv::Pump(300);
    EXPECT_TRUE(link->IsConnected());
    EXPECT_EQ(sim.Received().filter("get currentuserhandle").size(), 1);
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 1);
}

TEST_F(SimLinkTest, OpenChatSucceedsAndTimesOut)
{
    ASSERT_TRUE(sim.Start());
    Start();
    ASSERT_TRUE(WaitReceived(4));
    EXPECT_TRUE(link->OpenChat("alice"));
    ASSERT_GE(sim.WaitForMatch(QRegularExpression("^RECV open chat #")), 0);
    EXPECT_TRUE(link->ChatName().contains("alice"));

    sim.Write("chatreport off");
    ASSERT_GE(sim.WaitForLine("DO chatreport off"), 0);
    const int opens = sim.Received().filter("open chat").size();
    EXPECT_FALSE(link->OpenChat("bob"));
    testenv::Pump(100);
    EXPECT_EQ(sim.Received().filter("chat create bob").size(), 1);
    EXPECT_EQ(sim.Received().filter("open chat").size(), opens);
}

TEST_F(SimLinkTest, CommandsArriveInTheOrderQueued)
{
    ASSERT_TRUE(sim.Start());
    Start();
    ASSERT_TRUE(WaitReceived(4));
    testenv::Pump(200);
    const int base = sim.Received().size();
    QStringList expected;
    for (int i = 0; i < 30; ++i) {
        expected << "get user u" + QString::number(i) + " fullname";
        ASSERT_TRUE(link->Queue().Enqueue(expected.last()));
    }
    ASSERT_TRUE(testenv::WaitUntil([&] { return sim.Received().size() >= base + 30; }));
    QStringList got = sim.Received().mid(base);
    got.removeAll("ping");
    EXPECT_EQ(got.mid(0, 30), expected);
}

// Listens on both real audio ports, as Kestrel's stream servers do.
TEST_F(SimLinkTest, CallInProgressAsksForAudioAndTheClientConnects)
{
    QTcpServer own, remote;
    ASSERT_TRUE(own.listen(QHostAddress::LocalHost, kOwnAudioPort)) << own.errorString().toStdString();
    ASSERT_TRUE(remote.listen(QHostAddress::LocalHost, kRemoteAudioPort)) << remote.errorString().toStdString();
    ASSERT_TRUE(sim.Start());
    Start();
    ASSERT_TRUE(WaitReceived(4));
    sim.Write("incoming 41 alice");
    sim.Write("answer 41");
    ASSERT_GE(sim.WaitForLine("RECV alter call 41 set_output"), 0);
    const QStringList received = sim.Received();
    EXPECT_TRUE(received.contains("alter call 41 set_capture_mic port=\"38377\""));
    EXPECT_TRUE(received.contains("alter call 41 set_output soundcard=\"default\", port=\"38376\""));
    EXPECT_LT(received.indexOf("alter call 41 set_capture_mic port=\"38377\""),
              received.indexOf("alter call 41 set_output soundcard=\"default\", port=\"38376\""));

    ASSERT_TRUE(testenv::WaitUntil([&] { return own.hasPendingConnections() && remote.hasPendingConnections(); }));
    QTcpSocket* mic = own.nextPendingConnection();
    QTcpSocket* out = remote.nextPendingConnection();
    ASSERT_TRUE(testenv::WaitUntil([&] { return mic->bytesAvailable() >= 3200 && out->bytesAvailable() >= 3200; }));

    // The table holds the call in progress with its partner.
    ASSERT_TRUE(testenv::WaitUntil([&] { return link->CallTable().PartnerOf("41") == "alice"; }));
    EXPECT_TRUE(link->CallTable().AnyActive());
    EXPECT_GE(events.Count(WM_SKYPE_CALL), 2);
    EXPECT_EQ(link->PartnerMap().Lookup("41"), "alice");
    EXPECT_TRUE(link->IsIncoming());

    sim.Write("finish 41");
    ASSERT_TRUE(testenv::WaitUntil([&] { return link->CallTable().StatusAt(0) == CallFinished; }));
    EXPECT_FALSE(link->CallTable().AnyActive());
}

} // namespace
