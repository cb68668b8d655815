#include <QStringList>

#include <gtest/gtest.h>

#include "skype/CallPartnerMap.h"
#include "skype/CallTable.h"
#include "skype/CommandQueue.h"
#include "skype/ContactList.h"

namespace {

class CallTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        queue.Open();
        table.SetClock([this] { return now; });
    }
    QStringList Drain()
    {
        QStringList out;
        while (auto c = queue.TakeFirst())
            out << *c;
        return out;
    }
    CCommandQueue queue;
    CCallTable table{queue};
    std::int64_t now = 1000;
};

TEST_F(CallTableTest, TwentySlotsThenNoRoom)
{
    for (int i = 0; i < kCallSlots; ++i)
        EXPECT_EQ(table.UpdateStatus(QString::number(100 + i), CallRinging), i);
    EXPECT_EQ(Drain().size(), kCallSlots); // one partner request per new slot
    EXPECT_EQ(table.UpdateStatus("200", CallRinging), kNoSlot);
    EXPECT_EQ(table.FindOrAdd("200"), kNoSlot);
    EXPECT_TRUE(Drain().isEmpty());
    EXPECT_EQ(table.Find("200"), kNoSlot);
}

TEST_F(CallTableTest, StatusRulesForHeldAndUnknownCalls)
{
    struct Case {
        int status;
        bool takesSlot;
    } cases[] = {
        {CallUnplaced, false}, {CallRouting, true},   {CallEarlyMedia, true}, {CallFailed, false},
        {CallRinging, true},   {CallInProgress, true}, {CallOnHold, true},    {CallFinished, false},
        {CallMissed, false},   {CallRefused, false},  {CallBusy, false},      {CallCancelled, false},
        {CallNoStatus, false},
    };
    for (const auto& c : cases) {
        table.Clear();
        const int slot = table.UpdateStatus("41", c.status);
        EXPECT_EQ(slot != kNoSlot, c.takesSlot) << "status " << c.status;
        EXPECT_EQ(Drain().size(), c.takesSlot ? 1 : 0) << "status " << c.status;
    }
    // A held call takes every status, ending ones included, and keeps its slot.
    table.Clear();
    const int slot = table.UpdateStatus("41", CallInProgress);
    EXPECT_EQ(table.UpdateStatus("41", CallFinished), slot);
    EXPECT_EQ(table.StatusAt(slot), CallFinished);
    EXPECT_EQ(table.UpdateStatus("41", CallNoStatus), slot);
    EXPECT_EQ(table.CountWithStatus(), 0);
}

TEST_F(CallTableTest, IdsAreTrimmedAndExact)
{
    const int slot = table.FindOrAdd(" 41 \t");
    EXPECT_EQ(table.FindOrAdd("41"), slot);
    EXPECT_EQ(table.IdAt(slot), "41");
    EXPECT_EQ(Drain(), QStringList{"get call 41 partner_handle"});
    EXPECT_EQ(table.FindOrAdd("   "), kNoSlot);
    EXPECT_EQ(table.Find(""), kNoSlot);
    EXPECT_EQ(table.StatusAt(-1), 0);
    EXPECT_EQ(table.IdAt(20), "");
    EXPECT_EQ(table.SetPartner("41", "Alice "), slot);
    EXPECT_EQ(table.PartnerOf("41"), "Alice ");
    EXPECT_TRUE(table.IsPartner("alice "));
    EXPECT_FALSE(table.IsPartner("alice"));
}

TEST_F(CallTableTest, EarliestActivePrefersOldestThenHighestSlot)
{
    now = 100;
    for (int i = 0; i < 3; ++i)
        table.FindOrAdd("x" + QString::number(i)); // fill 0..2
    table.UpdateStatus("A", CallInProgress);        // slot 3 at 100
    table.SetPartner("A", "alice");
    table.UpdateStatus("x3", CallRinging);          // slot 4
    table.UpdateStatus("B", CallOnHold);            // slot 5 at 100
    table.SetPartner("B", "bob");
    now = 200;
    EXPECT_EQ(table.EarliestActive(), std::make_pair(QString("B"), QString("bob")));

    table.Clear();
    now = 100;
    table.UpdateStatus("A", CallInProgress);
    now = 101;
    table.UpdateStatus("B", CallOnHold);
    now = 200;
    EXPECT_EQ(table.EarliestActive().first, "A");

    table.Clear();
    table.UpdateStatus("R", CallRinging);
    EXPECT_EQ(table.EarliestActive(), std::make_pair(QString(), QString()));
    EXPECT_FALSE(table.AnyActive());
}

TEST(ContactList, AddStatusFullNameAndRemove)
{
    CContactList contacts;
    contacts.Add("+4930123");
    EXPECT_EQ(contacts.Entries()[0].status, 9);
    EXPECT_TRUE(contacts.SetStatus("+4930123", 2));
    EXPECT_EQ(contacts.Entries()[0].status, 2);

    contacts.Add("bob");
    contacts.SetFullName("bob", "Bob Smith");
    contacts.Add("bob"); // already listed: keeps its name
    EXPECT_EQ(contacts.FullNameOf("bob"), "Bob Smith");
    contacts.Add("Bob"); // a different handle under exact comparison
    ASSERT_EQ(contacts.Entries().size(), 3u);
    EXPECT_TRUE(contacts.SetStatus("BOB", 3)); // case ignored: the earlier entry changes
    EXPECT_EQ(contacts.Entries()[1].status, 3);
    EXPECT_EQ(contacts.Entries()[2].status, 0);

    EXPECT_EQ(contacts.SetFullName("carol", "Carol"), -1);
    EXPECT_EQ(contacts.Entries().back().status, 0);
    EXPECT_EQ(contacts.SetFullName("+49", "Phone"), -1);
    EXPECT_EQ(contacts.Entries().back().status, 0); // the "+" rule belongs to Add only
    EXPECT_EQ(contacts.SetFullName("bob", "Robert"), 1);

    EXPECT_FALSE(contacts.SetStatus("nobody", 3));
    EXPECT_FALSE(contacts.Remove("BOB"));
    EXPECT_TRUE(contacts.Remove("bob"));
    EXPECT_EQ(contacts.FullNameOf("bob"), "");
}

TEST(ContactList, DisplayNamesAndPartnerMapLists)
{
    CContactList contacts;
    contacts.SetFullName("alice", "Alice A.");
    contacts.Add("bob");
    EXPECT_EQ(contacts.DisplayNames("alice,,bob,"), "Alice A. | bob");
    EXPECT_EQ(contacts.DisplayNames(""), "");

    CCallPartnerMap map;
    map.Set("41", "alice");
    EXPECT_EQ(map.MapList("41,42"), "alice,42");
    EXPECT_EQ(map.MapList(""), "");
    map.Set("AB", "x");
    map.Set("ab", "y"); // same id ignoring case: replaced
    EXPECT_EQ(map.Lookup("Ab"), "y");
    EXPECT_EQ(map.MapList(",41,,ab,"), "alice,y");
}

TEST(CommandQueue, RefusesWhileClosedAndCommandsThatDoNotFit)
{
    CCommandQueue queue;
    EXPECT_FALSE(queue.Enqueue("ping"));
    queue.Open();
    EXPECT_FALSE(queue.Enqueue(""));
    EXPECT_TRUE(queue.Enqueue(QString(1023, 'a')));  // 1023 bytes + NUL fit
    EXPECT_FALSE(queue.Enqueue(QString(1024, 'a'))); // one byte too many: refused, not cut
    EXPECT_FALSE(queue.Enqueue(QString(512, QChar(0x00E9)))); // 1024 UTF-8 bytes + NUL
    EXPECT_EQ(queue.Size(), 1u);
    queue.Close();
    EXPECT_FALSE(queue.TakeFirst().has_value()); // kept, but not taken while closed
    queue.Open();
    EXPECT_EQ(queue.TakeFirst()->size(), 1023);
}

} // namespace
