// The auto-reply engine fed notifications and statuses as the link hands them over, answering
// into a real command queue.
#include <gtest/gtest.h>

#include "chat/ChatAutoReply.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeConstants.h"

namespace {

const QString kReply = "chatmessage  #ann/$me;1 /me is not available for chat.";

class ChatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        queue.Open();
        engine = std::make_unique<CChatAutoReply>(queue);
        profile().SetDefaults(); // whatever an earlier test left in memory
    }
    static CGeneralProfile& profile() { return *CGeneralProfile::Instance(); }
    QStringList Sent()
    {
        QStringList out;
        while (auto command = queue.TakeFirst())
            out << *command;
        return out;
    }
    void ChatName(const QString& id, const QString& chat) { engine->OnNotification("CHATMESSAGE " + id + " CHATNAME " + chat); }

    CCommandQueue queue;
    std::unique_ptr<CChatAutoReply> engine;
};

} // namespace

TEST_F(ChatTest, AwayAnswersOncePerChatAndEachStatusReportRearms)
{
    engine->SetUserStatus(OnlineAway);
    ChatName("12", "#ann/$me;1");
    EXPECT_EQ(Sent(), QStringList{kReply});
    ChatName("13", "#ann/$me;1");
    ChatName("14", "#ANN/$ME;1"); // the same chat in other letters
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(engine->ChatCount(), 1u);

    engine->SetUserStatus(OnlineAway); // the same status again
    ChatName("15", "#ANN/$ME;1");
    EXPECT_EQ(Sent(), QStringList{"chatmessage  #ANN/$ME;1 /me is not available for chat."});

    // Another chat gets its own answer; both statuses of the "not online" group answer.
    engine->SetUserStatus(OnlineDoNotDisturb);
    ChatName("16", "#bob/$me;2");
    engine->SetUserStatus(OnlineNotAvailable);
    ChatName("17", "#bob/$me;2");
    ChatName("18", "#ann/$me;1");
    EXPECT_EQ(Sent(), (QStringList{"chatmessage  #bob/$me;2 /me is not available for chat.",
                                   "chatmessage  #bob/$me;2 /me is not available for chat.", kReply}));
}

TEST_F(ChatTest, OnlineWaitsForItsSettingAndKeepsTheChatArmed)
{
    engine->SetUserStatus(OnlineOnline);
    ChatName("12", "#ann/$me;1");
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(engine->IsArmed("#ann/$me;1"));

    profile().onlinereply = true;
    profile().replytxt = "back soon";
    ChatName("13", "#ann/$me;1");
    EXPECT_EQ(Sent(), QStringList{"chatmessage  #ann/$me;1 back soon"});
    EXPECT_FALSE(engine->IsArmed("#ann/$me;1"));

    engine->SetUserStatus(OnlineSkypeMe);
    ChatName("14", "#ann/$me;1");
    EXPECT_EQ(Sent().size(), 1);
}

TEST_F(ChatTest, StatusesOutsideTheAnsweringOnesDisarmAndEnterNewChatsDisarmed)
{
    for (int status : {OnlineUnknown, OnlineLoggedOut, OnlineOffline, OnlineInvisible, OnlineSkypeOut}) {
        SCOPED_TRACE(status);
        engine = std::make_unique<CChatAutoReply>(queue);
        engine->SetUserStatus(OnlineAway);
        ChatName("1", "#old");
        Sent();
        engine->SetUserStatus(OnlineAway); // #old armed again...
        engine->SetUserStatus(status);     // ...and disarmed by this one
        ChatName("2", "#old");
        ChatName("3", "#new");
        EXPECT_TRUE(Sent().isEmpty());
        EXPECT_FALSE(engine->IsArmed("#new"));
        EXPECT_EQ(engine->ChatCount(), 2u);
        // A later answering status arms both.
        engine->SetUserStatus(OnlineAway);
        ChatName("4", "#new");
        EXPECT_EQ(Sent().size(), 1);
    }
}

TEST_F(ChatTest, ChatReplyOffNeverAnswers)
{
    profile().chatreply = false;
    profile().onlinereply = true;
    for (int status : {OnlineOnline, OnlineAway, OnlineDoNotDisturb}) {
        engine->SetUserStatus(status);
        ChatName("1", "#ann/$me;1");
    }
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(engine->IsArmed("#ann/$me;1"));
}

TEST_F(ChatTest, OnlyExactChatNameAnswersAreTaken)
{
    engine->SetUserStatus(OnlineAway);
    const char* ignored[] = {
        "CHATMESSAGE 12 chatname #ann/$me;1", // the property's case counts
        "CHATMESSAGE 12 STATUS RECEIVED",
        "CHATMESSAGE 12 BODY CHATNAME #ann/$me;1",
        "CHATMESSAGES 12 CHATNAME #ann/$me;1",
        "CHAT #ann/$me;1 CHATNAME #ann/$me;1",
        "CHATMESSAGE 12",
        "CHATMESSAGE 12 CHATNAME",
        "CHATMESSAGE",
        "",
        "   ",
    };
    for (const char* text : ignored)
        engine->OnNotification(text);
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(engine->ChatCount(), 0u);

    // The older MESSAGE form, any case of the first word, extra blanks around the parts.
    engine->OnNotification("  message 7   CHATNAME   #ann/$me;1  ");
    engine->OnNotification("ChatMessage 8 CHATNAME #bob");
    EXPECT_EQ(Sent(), (QStringList{kReply, "chatmessage  #bob /me is not available for chat."}));
}

TEST_F(ChatTest, ARefusedReplyStillCountsAsTheAnswer)
{
    queue.Close(); // the link is not attached
    engine->SetUserStatus(OnlineAway);
    ChatName("12", "#ann/$me;1");
    EXPECT_FALSE(engine->IsArmed("#ann/$me;1"));
    queue.Open();
    ChatName("13", "#ann/$me;1");
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(ChatTest, AReplyThatDoesNotFitTheSendBufferIsDroppedNotCut)
{
    // "chatmessage  #ann/$me;1 " is 24 bytes; with the NUL, 999 bytes are left for the text.
    profile().replytxt = QString(999, u'x');
    engine->SetUserStatus(OnlineAway);
    ChatName("12", "#ann/$me;1");
    const QStringList sent = Sent();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toUtf8().size() + 1, kSendBufferBytes);

    // 500 two-byte characters are 1000 bytes: one too many. Nothing goes out, not even a part.
    profile().replytxt = QString(500, QChar(0x00E9));
    engine->SetUserStatus(OnlineAway);
    ChatName("13", "#ann/$me;1");
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_FALSE(engine->IsArmed("#ann/$me;1"));
}
