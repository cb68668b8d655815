#include <QElapsedTimer>

#include "LinkFixture.h"

namespace {

const QStringList kAttachCommands{"get currentuserhandle", "get connstatus", "get userstatus", "search friends"};

TEST_F(LinkTest, NoClientMeansNothingIsSentAndEverythingRefused)
{
    Start();
    EXPECT_TRUE(link->IsWindowCreated());
    EXPECT_EQ(transport->Discovers(), 1);
    EXPECT_TRUE(transport->ClassName().startsWith("ISkypeWnd"));
    EXPECT_EQ(transport->ClassName().size(), 9 + 36);
    EXPECT_FALSE(link->Queue().Enqueue("ping"));
    EXPECT_FALSE(link->PlaceCall("alice"));
    // USERS before any "search friends" was queued is not taken in.
    link->ParseNotification("USERS alice, bob");
    EXPECT_TRUE(link->Contacts().Entries().empty());
    testenv::Pump(30);
    EXPECT_EQ(transport->SendAttempts(), 0);
    EXPECT_TRUE(events.events.empty());
}

TEST_F(LinkTest, FailedStartLeavesTheLinkIdle)
{
    CSkypeLink::SetTransportFactory([this] {
        auto t = std::make_unique<CLocalTransport>();
        t->SetCreateFails(true);
        transport = t.get();
        return t;
    });
    Start();
    EXPECT_FALSE(link->IsWindowCreated());
    EXPECT_EQ(link->MainWindow(), kNoWindow);
    link->Stop(); // no thread to end: returns at once
}

TEST_F(LinkTest, PendingThenSucceededInitialisesOnceInOrder)
{
    Start();
    transport->DeliverAttach(AttachPendingAuthorization);
    testenv::Pump(20);
    EXPECT_FALSE(link->IsConnected());
    EXPECT_EQ(transport->SendAttempts(), 0);

    transport->DeliverAttach(AttachSucceeded);
    EXPECT_TRUE(link->IsConnected());
    EXPECT_TRUE(link->KeepAliveRunning());
    ASSERT_TRUE(WaitSent(4));
    testenv::Pump(30);
    EXPECT_EQ(transport->Sent(), kAttachCommands);
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 1);
    EXPECT_TRUE(link->IsSearchingFriends());

    // A second success while attached (not rediscovering) runs the initialisation again.
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(8));
    EXPECT_EQ(transport->Sent().mid(4), kAttachCommands);
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 2);
}

TEST_F(LinkTest, CommandsLeaveInQueueOrder)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    QStringList expected = kAttachCommands;
    for (int i = 0; i < 50; ++i) {
        const QString c = "get call " + QString::number(i) + " status";
        ASSERT_TRUE(link->Queue().Enqueue(c));
        expected << c;
    }
    ASSERT_TRUE(WaitSent(expected.size()));
    EXPECT_EQ(transport->Sent(), expected);
}

TEST_F(LinkTest, RefusalClosesTheLinkAndTellsTheMainWindow)
{
    Start();
    transport->DeliverAttach(AttachRefused);
    testenv::Pump(10);
    EXPECT_EQ(events.Count(WM_SKYPE_REFUSED), 1);
    EXPECT_FALSE(link->IsConnected());
    EXPECT_FALSE(link->Queue().Enqueue("ping"));

    // The client's "API available" starts a new discovery, and the next success attaches.
    const int before = transport->Discovers();
    transport->DeliverAttach(AttachApiAvailable);
    EXPECT_EQ(transport->Discovers(), before + 1);
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    EXPECT_EQ(transport->Sent(), kAttachCommands);
}

TEST_F(LinkTest, KeepAliveLosesTheClientAfterThreeBroadcasts)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    const int discovers = transport->Discovers();

    link->KeepAliveTick(); // answered attach counts as alive: a ping goes out
    ASSERT_TRUE(WaitSent(5));
    EXPECT_EQ(transport->Sent().last(), "ping");
    for (int i = 1; i <= 3; ++i) {
        link->KeepAliveTick(); // no pong came: rediscover
        EXPECT_TRUE(link->IsRediscovering());
        EXPECT_EQ(transport->Discovers(), discovers + i);
        EXPECT_TRUE(link->IsConnected());
    }
    link->KeepAliveTick();
    EXPECT_FALSE(link->IsConnected());
    EXPECT_FALSE(link->IsRediscovering());
    EXPECT_FALSE(link->KeepAliveRunning());
    EXPECT_EQ(transport->Discovers(), discovers + 3);
    EXPECT_FALSE(link->Queue().Enqueue("get userstatus"));
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 1);
}

TEST_F(LinkTest, ClientAnsweringARediscoverIsTakenBackSilently)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    link->KeepAliveTick(); // ping
    link->KeepAliveTick(); // unanswered: rediscover
    ASSERT_TRUE(link->IsRediscovering());
    // A pong during rediscovery marks the client alive but keeps the flag.
    EXPECT_EQ(transport->DeliverText("Pong"), 1u);
    EXPECT_TRUE(link->IsAlive());
    EXPECT_TRUE(link->IsRediscovering());
    transport->DeliverAttach(AttachSucceeded);
    EXPECT_FALSE(link->IsRediscovering());
    testenv::Pump(40);
    EXPECT_EQ(transport->Sent().size(), 5); // the four attach commands and one ping
    EXPECT_EQ(events.Count(WM_SKYPE_CONNECTED), 1);
}

TEST_F(LinkTest, LiveKeepAliveTimerPingsAndPongIsConsumed)
{
    auto t = FastTimings();
    t.keepAliveMs = 40;
    CSkypeLink::SetTimings(t);
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(5));
    EXPECT_EQ(transport->Sent()[4], "ping");
    for (const char* pong : {"pong", "PONG", "Pong"}) {
        transport->DeliverText(pong);
        EXPECT_TRUE(link->IsAlive()) << pong;
        testenv::WaitUntil([&] { return !link->IsAlive(); });
    }
    EXPECT_EQ(link->MissedPings(), 0);
    EXPECT_TRUE(link->IsConnected());
}

TEST_F(LinkTest, TextsFromOtherWindowsAreRefused)
{
    Start();
    EXPECT_EQ(transport->DeliverText("CURRENTUSERHANDLE evil"), 0u); // not attached yet
    transport->DeliverAttach(AttachSucceeded);
    EXPECT_EQ(transport->DeliverText("CURRENTUSERHANDLE evil", "someone-else"), 0u);
    EXPECT_EQ(link->CurrentUserHandle(), "");
    EXPECT_EQ(transport->DeliverText("CURRENTUSERHANDLE me"), 1u);
    EXPECT_EQ(link->CurrentUserHandle(), "me");
    // "pong " with a blank is not the keep-alive answer; it goes to the parser, which ignores it.
    link->KeepAliveTick();
    EXPECT_FALSE(link->IsAlive());
    transport->DeliverText("pong ");
    EXPECT_FALSE(link->IsAlive());
}

TEST_F(LinkTest, CommandsQueuedBeforeCloseGoOutFirstAfterTheNextAttach)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    transport->ClearSent();
    // Refuse everything so the command stays queued, then close the link.
    transport->SetSendResult(0);
    CSkypeLink::ResetSendRetryBudget();
    transport->DeliverAttach(AttachRefused);
    // Queued while closed: refused. Put one in while open, through a fresh attach/close cycle.
    EXPECT_FALSE(link->Queue().Enqueue("get call 1 status"));
    link->Queue().Open();
    link->Queue().Enqueue("call alice");
    link->Queue().Close();
    transport->SetSendResult(1);
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(5));
    EXPECT_EQ(transport->Sent(), QStringList{"call alice"} + kAttachCommands);
}

TEST_F(LinkTest, RetryBudgetIsFiveForTheWholeRun)
{
    Start();
    transport->SetSendResult(0);
    transport->DeliverAttach(AttachSucceeded);
    // Four attach commands: the first takes 1 + 5 tries, the others one each.
    ASSERT_TRUE(testenv::WaitUntil([&] { return transport->SendAttempts() == 9 && link->Queue().Size() == 0; }));
    link->Queue().Enqueue("ping");
    ASSERT_TRUE(testenv::WaitUntil([&] { return transport->SendAttempts() == 10; }));
    testenv::Pump(30);
    EXPECT_EQ(transport->SendAttempts(), 10); // dropped without a retry
    transport->SetSendResult(1);
    link->Queue().Enqueue("get userstatus");
    ASSERT_TRUE(WaitSent(1));
    EXPECT_EQ(transport->Sent(), QStringList{"get userstatus"});
}

TEST_F(LinkTest, LoggedOutStopsSendingUntilTheNextFreshAttach)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    transport->DeliverText("USERSTATUS LOGGEDOUT");
    EXPECT_TRUE(link->IsConnected());
    transport->DeliverText("CONNSTATUS LOGGEDOUT");
    EXPECT_FALSE(link->IsConnected());
    CSkypeLink::ResetSendRetryBudget();
    EXPECT_TRUE(link->Queue().Enqueue("get userstatus")); // the queue stays open...
    ASSERT_TRUE(testenv::WaitUntil([&] { return link->Queue().Size() == 0; }));
    testenv::Pump(30);
    EXPECT_EQ(transport->Sent().size(), 4); // ...but nothing reaches the client
    EXPECT_EQ(events.Count(WM_SKYPE_USERSTATUS), 2);
}

TEST_F(LinkTest, OpenChatWaitsForTheClientsReport)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    // The client reports the new chat a little later, while OpenChat pumps messages.
    QTimer::singleShot(20, [&] {
        transport->DeliverText("CHAT #me/$alice;1 STATUS DIALOG");
        // A nested call while the first one waits is refused at once.
        EXPECT_FALSE(link->OpenChat("bob"));
    });
    EXPECT_TRUE(link->OpenChat("alice"));
    ASSERT_TRUE(WaitSent(6));
    EXPECT_EQ(transport->Sent().mid(4), (QStringList{"chat create alice", "open chat #me/$alice;1"}));
}

TEST_F(LinkTest, OpenChatGivesUpWhenTheClientNeverReports)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(link->OpenChat("alice"));
    const auto t = FastTimings();
    EXPECT_GE(timer.elapsed(), t.openChatWaits * t.openChatWaitMs);
    testenv::Pump(30);
    EXPECT_EQ(transport->Sent().mid(4), QStringList{"chat create alice"});
    // Not busy any more.
    QTimer::singleShot(10, [&] { transport->DeliverText("CHAT #c STATUS LEGACY_DIALOG"); });
    EXPECT_TRUE(link->OpenChat("alice"));
}

TEST_F(LinkTest, StopEndsTheSendThreadPromptly)
{
    // Before any attach the thread waits for the first one; Stop wakes it.
    Start();
    link->Stop();
    EXPECT_FALSE(link->IsWindowCreated());

    // While it sleeps with real timings, Stop returns well within the half-second poll.
    CSkypeLink::Release();
    CSkypeLink::SetTimings(SkypeLinkTimings{});
    Start();
    transport->DeliverAttach(AttachSucceeded);
    ASSERT_TRUE(WaitSent(4));
    QElapsedTimer timer;
    timer.start();
    link->Stop();
    EXPECT_LT(timer.elapsed(), 600);
    // Stopped: nothing is sent any more.
    const qsizetype sent = transport->Sent().size();
    link->Queue().Enqueue("ping");
    testenv::Pump(60);
    EXPECT_EQ(transport->Sent().size(), sent);
}

TEST_F(LinkTest, PlaceCallAndLongCommands)
{
    Start();
    transport->DeliverAttach(AttachSucceeded);
    EXPECT_TRUE(link->PlaceCall(""));
    EXPECT_TRUE(link->PlaceCall(" +4930123"));
    EXPECT_FALSE(link->Queue().Enqueue("chatmessage  #c " + QString(1100, 'x')));
    ASSERT_TRUE(WaitSent(6));
    testenv::Pump(20);
    EXPECT_EQ(transport->Sent().mid(4), (QStringList{"call ", "call  +4930123"}));
}

} // namespace
