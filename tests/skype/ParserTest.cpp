#include "LinkFixture.h"

namespace {

const QString kMic = QStringLiteral(" set_capture_mic port=\"38377\"");
const QString kOut = QStringLiteral(" set_output soundcard=\"default\", port=\"38376\"");

PostedEvent Ev(UINT msg, std::int64_t w = 0, LPARAM l = 0) { return {msg, static_cast<WPARAM>(w), l}; }

struct ParseCase {
    const char* name;
    QStringList notifications;
    QStringList commands;
    std::vector<PostedEvent> events;
};

class ParserTable : public ParserTest, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(ParserTable, QueuesCommandsAndPostsEvents)
{
    const ParseCase& c = GetParam();
    for (const auto& n : c.notifications)
        Parse(n);
    EXPECT_EQ(Drain(), c.commands);
    EXPECT_EQ(Events(), c.events);
}

const ParseCase kCases[] = {
    {"InProgressNewCall",
     {"CALL 41 STATUS INPROGRESS"},
     {"alter call 41" + kMic, "alter call 41" + kOut, "get call 41 type", "get call 41 target_identity",
      "get call 41 partner_handle", "get call 41 partner_handle"},
     {Ev(WM_SKYPE_CALL, 0, 2)}},
    {"LowerCaseIsTheSame",
     {"call 41 status inprogress"},
     {"alter call 41" + kMic, "alter call 41" + kOut, "get call 41 type", "get call 41 target_identity",
      "get call 41 partner_handle", "get call 41 partner_handle"},
     {Ev(WM_SKYPE_CALL, 0, 2)}},
    {"FinishedUnknownCall", {"CALL 41 STATUS FINISHED"}, {}, {Ev(WM_SKYPE_CALL, -1, 2)}},
    {"RingingAsksType",
     {"CALL 7 STATUS RINGING", "CALL 7 STATUS ROUTING"},
     {"get call 7 type", "get call 7 partner_handle", "get call 7 type"},
     {Ev(WM_SKYPE_CALL, 0, 2), Ev(WM_SKYPE_CALL, 0, 2)}},
    {"UnknownStatusWordIsZero", {"CALL 7 STATUS RINGING", "CALL 7 STATUS WEIRD"},
     {"get call 7 type", "get call 7 partner_handle"}, {Ev(WM_SKYPE_CALL, 0, 2), Ev(WM_SKYPE_CALL, 0, 2)}},
    {"MalformedCallsIgnored", {"CALL 41 STATUS", "CALL 41", "CALL", "CALL  ", "call 41 status  "}, {}, {}},
    {"TypeOutgoingThenIncoming",
     {"CALL 41 TYPE OUTGOING_PSTN", "CALL 41 TYPE Incoming_P2P", "CALL 41 TYPE incoming_pstn"},
     {},
     {Ev(WM_SKYPE_INCOMING_P2P), Ev(WM_SKYPE_INCOMING_PSTN)}},
    {"Dtmf",
     {"CALL 41 DTMF 5", "CALL 41 DTMF 55", "CALL 41 DTMF  #  "},
     {"get call 41 partner_handle"},
     {Ev(WM_SKYPE_DTMF, 0, 53), Ev(WM_SKYPE_DTMF, 0, '#')}},
    {"PartnerHandle",
     {"CALL 41 PARTNER_HANDLE alice"},
     {"get call 41 partner_handle", "get user alice fullname"},
     {Ev(WM_SKYPE_CALL, 0, 1)}},
    {"DurationOfUnknownCallAsksFour",
     {"CALL 9 DURATION 12"},
     {"get call 9 partner_handle", "get call 9 type", "get call 9 status", "get call 9 conf_participants_count"},
     {}},
    {"DurationWhileACallHasStatusAsksNothing",
     {"CALL 9 STATUS RINGING", "CALL 9 DURATION 12"},
     {"get call 9 type", "get call 9 partner_handle"},
     {Ev(WM_SKYPE_CALL, 0, 2)}},
    {"ConferenceCount",
     {"CALL 9 CONF_PARTICIPANTS_COUNT 3", "CALL 9 STATUS RINGING", "CALL 9 CONF_PARTICIPANTS_COUNT 1",
      "CALL 9 CONF_PARTICIPANTS_COUNT 2"},
     {"get call 9 type", "get call 9 partner_handle", "get call 9 conf_participant 0",
      "get call 9 conf_participant 1"},
     {Ev(WM_SKYPE_CALL, 0, 2)}},
    {"Users",
     {"USERS alice, bob, +4930123"},
     {"get user alice fullname", "get user bob fullname", "get user +4930123 fullname"},
     {}},
    {"ConnStatusLoggedOut", {"CONNSTATUS LOGGEDOUT"}, {}, {Ev(WM_SKYPE_USERSTATUS, 1)}},
    {"StatusWords",
     {"USERSTATUS away", "USERSTATUS SKYPEOUT", "CONNSTATUS CONNECTING", "USERSTATUS NA", "USERSTATUS DND"},
     {},
     {Ev(WM_SKYPE_USERSTATUS, 5), Ev(WM_SKYPE_USERSTATUS, 0), Ev(WM_SKYPE_USERSTATUS, 0),
      Ev(WM_SKYPE_USERSTATUS, 6), Ev(WM_SKYPE_USERSTATUS, 7)}},
    {"CurrentUserAndVersion", {"CURRENTUSERHANDLE someone", "SKYPEVERSION 8.1"}, {},
     {Ev(WM_SKYPE_ATTACHED), Ev(WM_SKYPE_VERSION)}},
    {"ChatMessages",
     {"CHATMESSAGE 77 STATUS RECEIVED", "CHATMESSAGE 77 STATUS SENT", "MESSAGE 78 STATUS RECEIVED",
      "CHATMESSAGE 79 status RECEIVED", "CHATMESSAGE 80 STATUS"},
     {"get chatmessage 77 chatname", "get chatmessage 78 chatname"},
     {}},
    {"WindowStates",
     {"WINDOWSTATE MINIMIZED", "WINDOWSTATE hidden", "WINDOWSTATE NORMAL", "WINDOWSTATE MAXIMIZED"},
     {},
     {Ev(WM_SKYPE_WINDOWSTATE, 20), Ev(WM_SKYPE_WINDOWSTATE, 20), Ev(WM_SKYPE_WINDOWSTATE, 21)}},
    {"IgnoredWords", {"PROTOCOL 1", "ERROR 2 Unknown command", "PONG", "", "   ", "OPEN CHAT x"}, {}, {}},
};

INSTANTIATE_TEST_SUITE_P(Notifications, ParserTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParserTest, ContactNotificationsAndTheirSingleSettleEvent)
{
    Parse("CURRENTUSERHANDLE me");
    Parse("USER bob BUDDYSTATUS 3");
    EXPECT_EQ(Drain(), QStringList{"get user bob fullname"});
    Parse("USER bob FULLNAME Bob  Smith ");
    EXPECT_EQ(link->Contacts().FullNameOf("bob"), "Bob  Smith");
    Parse("USER me FULLNAME Myself"); // the current user is not a contact
    EXPECT_EQ(link->Contacts().FullNameOf("me"), "");
    Parse("USER carol FULLNAME");     // no value: the handle stands for the name
    EXPECT_EQ(link->Contacts().FullNameOf("carol"), "carol");
    Parse("USER bob ONLINESTATUS AWAY");
    Parse("USER dave ONLINESTATUS AWAY"); // not listed: not added
    Parse("USER bob ONLINESTATUS skypeout");
    const auto entries = link->Contacts().Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].status, 9);
    Parse("USER bob BUDDYSTATUS 1");
    EXPECT_EQ(link->Contacts().FullNameOf("bob"), "");
    // A burst gives one WM_SKYPE_CONTACTS, after the quiet time that follows the last one.
    EXPECT_EQ(events.Count(WM_SKYPE_CONTACTS), 0);
    ASSERT_TRUE(testenv::WaitUntil([&] { return events.Count(WM_SKYPE_CONTACTS) == 1; }));
    testenv::Pump(150);
    EXPECT_EQ(events.Count(WM_SKYPE_CONTACTS), 1);
}

TEST_F(ParserTest, PartnersNamesAreNotTakenFromFullNames)
{
    Parse("CALL 41 PARTNER_HANDLE Alice");
    Parse("USER alice FULLNAME Someone Else");
    Parse("USER alice FULLNAME");
    EXPECT_EQ(link->Contacts().FullNameOf("alice"), "");
    EXPECT_EQ(link->PartnerMap().Lookup("41"), "Alice");
    EXPECT_EQ(link->Contacts().Entries().size(), 1u);
}

TEST_F(ParserTest, ChatDialogReportsSetTheChatName)
{
    Parse("CHAT #bob/$alice;1 STATUS dialog");
    EXPECT_EQ(link->ChatName(), "");
    Parse("CHAT #bob/$alice;1 STATUS DIALOG");
    EXPECT_EQ(link->ChatName(), "#bob/$alice;1");
    Parse("CHAT #x STATUS LEGACY_DIALOG");
    EXPECT_EQ(link->ChatName(), "#x");
}

TEST_F(ParserTest, RequestedIdsAndRerequest)
{
    Parse("CALL 41 STATUS INPROGRESS");
    Parse("CALL 4 STATUS INPROGRESS"); // 4 is a different call from 41
    EXPECT_EQ(link->RequestedIds(), "41 4 ");
    Parse("CALL 41 STATUS INPROGRESS"); // the same id again is not remembered twice
    EXPECT_EQ(link->RequestedIds(), "41 4 ");
    Drain();

    link->RerequestAudio();
    EXPECT_EQ(Drain(), (QStringList{"alter call 41" + kMic, "alter call 41" + kOut, "alter call 4" + kMic,
                                    "alter call 4" + kOut}));
    EXPECT_EQ(link->RequestedIds(), "41 4 ");

    // Only a call in progress counts; one on hold does not.
    Parse("CALL 41 STATUS FINISHED");
    Parse("CALL 4 STATUS LOCALHOLD");
    Drain();
    link->RerequestAudio();
    EXPECT_TRUE(Drain().isEmpty());

    link->ResetCallState();
    EXPECT_EQ(link->RequestedIds(), "");
    EXPECT_FALSE(link->IsIncoming());
    EXPECT_EQ(link->CallTable().CountWithStatus(), 0);
    EXPECT_EQ(link->PartnerMap().Lookup("41"), "41");
}

TEST_F(ParserTest, RerequestFromAnotherThreadQueuesPromptly)
{
    Parse("CALL 42 STATUS INPROGRESS");
    Drain();
    std::thread([&] { link->RerequestAudio(); }).join();
    EXPECT_EQ(Drain().size(), 2);
}

} // namespace
