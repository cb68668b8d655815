// A chat message received by skypesim brings exactly one answer per chat and status report,
// through the link (which asks for the chat name) and the auto-reply engine it carries.
#include <gtest/gtest.h>

#include "chat/ChatAutoReply.h"
#include "platform/MessageWindow.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeLink.h"
#include "support/LinkTimings.h"
#include "support/SkypeSimProcess.h"
#include "support/TestEnv.h"

namespace {

// The main window's place: takes the link's events and drops them.
class MainWindowStandIn : public CMessageWindow {
public:
    ~MainWindowStandIn() override { DestroyWindowHandle(); }
    bool OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) override { return true; }
};

class ChatSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(testenv::SkypeSimProcess::Executable().isEmpty());
        testenv::UseFastLinkTimings();
        CGeneralProfile::Instance()->SetDefaults();
    }
    void TearDown() override
    {
        CSkypeLink::Release();
        CSkypeLink::SetTimings(SkypeLinkTimings{});
    }
    bool Attach()
    {
        link = CSkypeLink::Attach(window.Handle());
        return sim.WaitForLine("RECV search friends") >= 0;
    }
    QStringList Replies() { return sim.Received().filter(QRegularExpression("^chatmessage  ")); }
    // A received message; true once the link has asked for its chat and the answer has gone back.
    bool Receive(const QString& id, const QString& chat)
    {
        const int from = sim.LineCount();
        sim.Write(QString("chatmsg %1 %2 alice hello").arg(id, chat));
        return sim.WaitForLine("SENT CHATMESSAGE " + id + " CHATNAME", 5000, from) >= 0;
    }

    testenv::SkypeSimProcess sim;
    MainWindowStandIn window;
    CSkypeLink* link = nullptr;
};

} // namespace

TEST_F(ChatSimTest, AwayAnswersEachChatOncePerStatusReport)
{
    ASSERT_TRUE(sim.Start({"--userstatus", "AWAY"}));
    ASSERT_TRUE(Attach());
    const QString chat = "#alice/$kestrel.tester;1";

    ASSERT_TRUE(Receive("77", chat));
    ASSERT_GE(sim.WaitForLine("RECV chatmessage  " + chat + " /me is not available for chat."), 0);
    EXPECT_EQ(sim.Received().filter("get chatmessage 77 chatname").size(), 1);

    ASSERT_TRUE(Receive("78", chat));
    ASSERT_TRUE(Receive("79", "#ALICE/$KESTREL.TESTER;1"));
    testenv::Pump(200); // room for a wrong second answer to arrive
    EXPECT_EQ(Replies(), QStringList{"chatmessage  " + chat + " /me is not available for chat."});

    // The same status reported again re-arms the chat; another chat has its own answer.
    const int from = sim.LineCount();
    sim.Write("userstatus AWAY");
    ASSERT_GE(sim.WaitForLine("SENT USERSTATUS AWAY", 5000, from), 0);
    ASSERT_TRUE(Receive("80", chat));
    ASSERT_TRUE(Receive("81", "#bob/$kestrel.tester;2"));
    ASSERT_TRUE(testenv::WaitUntil([&] { return Replies().size() == 3; }));
    testenv::Pump(200);
    EXPECT_EQ(Replies(), (QStringList{"chatmessage  " + chat + " /me is not available for chat.",
                                      "chatmessage  " + chat + " /me is not available for chat.",
                                      "chatmessage  #bob/$kestrel.tester;2 /me is not available for chat."}));
}

TEST_F(ChatSimTest, OnlineSendsNothingWithTheDefaults)
{
    ASSERT_TRUE(sim.Start({"--userstatus", "ONLINE"}));
    ASSERT_TRUE(Attach());
    ASSERT_TRUE(Receive("90", "#alice/$kestrel.tester;1"));
    testenv::Pump(300);
    EXPECT_TRUE(Replies().isEmpty());
    EXPECT_EQ(static_cast<CChatAutoReply*>(link->Hook())->UserStatus(), OnlineOnline);
}
