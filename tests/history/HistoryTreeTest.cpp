// The history tree: grouping by day, order, labels, counts, the painted rows and the action
// buttons, on a real history window offscreen.
#include "history/HistoryWindowFixture.h"

using namespace histtest;

namespace {

class HistoryTreeTest : public HistoryWindowTest {};

TEST_F(HistoryTreeTest, EmptyHistoryShowsTotalZeroAndTodayWithoutBadge)
{
    Open();
    window->Recount();
    ShowAt();
    EXPECT_EQ(window->Root()->childCount(), 1);
    EXPECT_EQ(DayLabels(), QStringList{"Today"});
    EXPECT_EQ(window->Counters().total, 0);
    EXPECT_EQ(window->Counters().newCount, 0);
    const QImage img = Grab();
    const QRect root = window->Tree()->RowRect(window->Root());
    EXPECT_EQ(CountColour(img, root, kBadgeColour), 0);
    EXPECT_GT(CountColour(img, root, kRootRowColour), root.width()); // the root row's fill
    // A day without recordings still shows its (expanded) glyph.
    EXPECT_TRUE(window->Tree()->GlyphsAvailable());
}

TEST_F(HistoryTreeTest, DaysInCreationOrderRecordsNewestFirstAndCounts)
{
    Open();
    // In history-file order (oldest added first), with two entries of 3 September out of order.
    const qint64 sep3a = Local(2024, 9, 3, 10, 0), sep3b = Local(2024, 9, 3, 18, 30), sep5 = Local(2024, 9, 5, 9, 15);
    const qint64 sep11 = Local(2024, 9, 11, 23, 59), today1 = Local(2024, 9, 12, 8, 0), today2 = Local(2024, 9, 12, 14, 0);
    Add(Rec("a3", sep3a, false));
    Add(Rec("b5", sep5, true));
    Add(Rec("c3", sep3b, true));
    Add(Rec("today-late", today2, true));
    Add(Rec("y11", sep11, false));
    Add(Rec("today-early", today1, true));
    Add(Rec("a3-again", sep3a + 60, true)); // between the other two of that day

    EXPECT_EQ(DayLabels(), (QStringList{"Today", "2024-09-03", "2024-09-05", "Yesterday"}));
    QTreeWidgetItem* root = window->Root();
    EXPECT_EQ(NamesUnder(root->child(0)), (QStringList{"today-late", "today-early"}));
    EXPECT_EQ(NamesUnder(root->child(1)), (QStringList{"c3", "a3-again", "a3"}));
    EXPECT_EQ(NamesUnder(root->child(2)), QStringList{"b5"});
    EXPECT_EQ(window->Counters().total, 7);
    EXPECT_EQ(window->Counters().newCount, 5);
    EXPECT_TRUE(root->isExpanded());
    for (int i = 0; i < root->childCount(); ++i)
        EXPECT_TRUE(root->child(i)->isExpanded());
}

TEST_F(HistoryTreeTest, RecordingAfterMidnightAppendsTodayAndRenamesTheOldDay)
{
    struct Case {
        qint64 start, finished;
        const char* oldLabel;
    };
    const Case cases[] = {
        {Local(2024, 9, 11, 23, 50), Local(2024, 9, 12, 0, 10), "Yesterday"},
        // On the first of a month the day before is a date.
        {Local(2024, 8, 31, 23, 50), Local(2024, 9, 1, 0, 10), "2024-08-31"},
    };
    for (const Case& c : cases) {
        now = c.start;
        Open();
        Add(Rec("before", c.start - 600));
        now = c.finished;
        Add(Rec("after", c.finished - 120));
        EXPECT_EQ(DayLabels(), (QStringList{c.oldLabel, "Today"}));
        EXPECT_EQ(NamesUnder(window->Root()->child(1)), QStringList{"after"});
        window.reset();
        CHistoryStore::Destroy();
        QFile::remove(CHistoryStore::DefaultPath());
        store = CHistoryStore::Instance();
        store->Open(CHistoryStore::DefaultPath());
    }
}

TEST_F(HistoryTreeTest, RowTexts)
{
    Open();
    EXPECT_EQ(CTreeCtrlBT::FormatDuration(90061), "   01:01:01");
    EXPECT_EQ(CTreeCtrlBT::FormatDuration(59), "   00:00:59");
    EXPECT_EQ(CTreeCtrlBT::FormatStartTime(QString::number(Local(2024, 9, 12, 15, 25, 7))), "PM 03:25:07");
    EXPECT_EQ(CTreeCtrlBT::FormatStartTime(QString::number(Local(2024, 9, 12, 0, 5, 0))), "AM 12:05:00");
    CTreeCtrlBT* tree = window->Tree();
    EXPECT_EQ(tree->DisplayName("alice,bob"), "Alice Archer | Bob Brown");
    EXPECT_EQ(tree->DisplayName("alice,+4930123"), "Alice Archer | +4930123");
    EXPECT_EQ(tree->DisplayName("carol"), "carol");
    EXPECT_EQ(tree->DisplayName(""), "Null");
    EXPECT_EQ(tree->DisplayName(","), ",");
    // A time that is not a number is 1 January 1970.
    EXPECT_EQ(CTreeCtrlBT::ParseTime("abc"), 0);
    EXPECT_EQ(CTreeCtrlBT::ParseTime("1700000000xyz"), 1700000000);
    CHistoryRecord bad = Rec("bad", 0);
    bad.time = "not a time";
    Add(bad);
    EXPECT_EQ(DayLabels().last(), QDateTime::fromSecsSinceEpoch(0).date().toString("yyyy-MM-dd"));
}

TEST_F(HistoryTreeTest, SelectedRecordRowAndBadgePixels)
{
    Open();
    Add(Rec("alice", Local(2024, 9, 12, 9, 0), true, RecordIncoming));
    Add(Rec("bob", Local(2024, 9, 12, 10, 0), false, RecordOutgoing));
    ShowAt();
    CTreeCtrlBT* tree = window->Tree();
    CHistoryTreeItem* alice = RowOf("alice");
    tree->setCurrentItem(alice);
    testenv::Pump(30);
    const QImage img = Grab();
    const QRect row = tree->RowRect(alice);
    const int right = row.left() + row.width();
    // The highlight runs from 16 px in to the right edge; left of it the row stays white.
    EXPECT_EQ(img.pixelColor(row.left() + 17, row.center().y()).rgb(), kHighlightColour.rgb());
    EXPECT_EQ(img.pixelColor(right - 45, row.top() + 1).rgb(), kHighlightColour.rgb());
    EXPECT_EQ(img.pixelColor(row.left() + 8, row.center().y()).rgb(), QColor(Qt::white).rgb());
    // The name in white on it.
    const QRect nameArea(row.left() + 40, row.top(), 80, row.height());
    int light = 0;
    for (int y = nameArea.top(); y <= nameArea.bottom(); ++y)
        for (int x = nameArea.left(); x <= nameArea.right(); ++x)
            light += img.pixelColor(x, y).red() > 200 ? 1 : 0;
    EXPECT_GT(light, 20);
    // Both buttons, as images 0 and 2 of the strip, at right - 19 and right - 39.
    const QImage strip = ui::LoadBitmapImage(ui::IDB_ROW_BUTTONS).convertToFormat(QImage::Format_ARGB32);
    auto sameAsStrip = [&](int x, int image) {
        int same = 0, opaque = 0;
        for (int dy = 0; dy < kRowButtonSize; ++dy)
            for (int dx = 0; dx < kRowButtonSize; ++dx) {
                const QColor s = strip.pixelColor(image * kRowButtonSize + dx, dy);
                if (s.alpha() != 255)
                    continue;
                ++opaque;
                if (img.pixelColor(x + dx, row.top() + kRowButtonTop + dy).rgb() == s.rgb())
                    ++same;
            }
        return opaque > 0 && same == opaque;
    };
    EXPECT_TRUE(sameAsStrip(right - 19, kButtonDeleteSelected));
    EXPECT_TRUE(sameAsStrip(right - 39, kButtonFolderSelected));
    // The unselected row shows neither button nor highlight.
    const QRect bobRow = tree->RowRect(RowOf("bob"));
    EXPECT_EQ(CountColour(img, bobRow, kHighlightColour), 0);
    EXPECT_EQ(img.pixelColor(right - 12, bobRow.center().y()).rgb(), QColor(Qt::white).rgb());

    // The badge: one new recording, orange at the right end of the root row; gone once none
    // is new.
    const QRect root = tree->RowRect(window->Root());
    const QRect badgeEnd(right - 30, root.top() + 3, 25, root.height() - 6);
    EXPECT_GT(CountColour(img, badgeEnd, kBadgeColour), 50);
    CTreeCtrlBT::ItemData(alice)->record->isNew = false;
    window->Recount();
    testenv::Pump(30);
    EXPECT_EQ(CountColour(Grab(), root, kBadgeColour), 0);
}

TEST_F(HistoryTreeTest, HoverShowsOnlyTheButtonUnderTheMouseUntilItLeaves)
{
    Open();
    Add(Rec("alice", Local(2024, 9, 12, 9, 0)));
    Add(Rec("bob", Local(2024, 9, 12, 10, 0)));
    ShowAt();
    CTreeCtrlBT* tree = window->Tree();
    tree->setCurrentItem(RowOf("bob"));
    const QRect row = tree->RowRect(RowOf("alice"));
    const QRect del = CTreeCtrlBT::DeleteRect(row), folder = CTreeCtrlBT::FolderRect(row);
    const QColor chip(0xf7, 0xf8, 0xfa); // the light chip of the "other row" buttons
    SendMouse(QEvent::MouseMove, del.center());
    testenv::Pump(30);
    QImage img = Grab();
    EXPECT_GT(CountColour(img, del, chip), 20);
    EXPECT_EQ(CountColour(img, folder, chip), 0);
    SendMouse(QEvent::MouseMove, folder.center());
    testenv::Pump(30);
    img = Grab();
    EXPECT_EQ(CountColour(img, del, chip), 0);
    EXPECT_GT(CountColour(img, folder, chip), 5);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(tree->viewport(), &leave);
    testenv::Pump(30);
    img = Grab();
    EXPECT_EQ(CountColour(img, del, chip) + CountColour(img, folder, chip), 0);
}

TEST_F(HistoryTreeTest, ButtonClicksPostTheRequestsForTheirRow)
{
    Open();
    const QString folder = testenv::Root() + "/Documents/Morvex";
    Add(Rec("alice", Local(2024, 9, 12, 9, 0)));
    Add(Rec("bob", Local(2024, 9, 12, 10, 0)));
    ShowAt();
    CTreeCtrlBT* tree = window->Tree();
    tree->setCurrentItem(RowOf("bob"));

    // Delete on alice's row (not the selected one): the question comes for it; answering No
    // keeps everything.
    testenv::MessageBoxRecorder::Instance().SetAnswer(IDNO);
    Click(CTreeCtrlBT::DeleteRect(tree->RowRect(RowOf("alice"))).center());
    ASSERT_TRUE(testenv::WaitUntil([] { return !testenv::MessageBoxRecorder::Instance().Calls().empty(); }, 2000));
    const auto box = testenv::MessageBoxRecorder::Instance().Calls().front();
    EXPECT_EQ(box.text, "Are you sure you want to delete the selected item?");
    EXPECT_EQ(box.caption, "Kestrel");
    EXPECT_EQ(box.type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(tree->currentItem(), RowOf("alice")); // the click selected the row it acted on
    EXPECT_EQ(window->Counters().total, 2);

    // Show in folder on bob's row: no file manager on this bus, so its folder is opened.
    Click(CTreeCtrlBT::FolderRect(tree->RowRect(RowOf("bob"))).center());
    ASSERT_TRUE(testenv::WaitUntil([this] { return !opened.isEmpty(); }, 5000));
    EXPECT_EQ(opened, QStringList{QUrl::fromLocalFile(folder).toString()});

    // A click on the name posts nothing.
    testenv::MessageBoxRecorder::Instance().Clear();
    opened.clear();
    Click(tree->RowRect(RowOf("alice")).center());
    testenv::Pump(100);
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls().empty());
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
