// The history window: context menu, delete, show in folder (against a file manager on the test's
// private bus), Call and Send IM, position restore and save, size limits, dragging, and a
// screenshot of a realistic history.
#include <QAbstractButton>
#include <QAction>
#include <QDBusConnection>
#include <QDBusError>
#include <QMenu>
#include <QStandardPaths>

#include "history/HistoryWindowFixture.h"

using namespace histtest;

namespace {

// A stand-in for the desktop's file manager: records what it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
    QString startupId = "unset";
public slots:
    void ShowItems(const QStringList& uris, const QString& startup)
    {
        shown << uris;
        startupId = startup;
    }
};

class HistoryWindowTests : public HistoryWindowTest {
protected:
    // Posts a right click on row's centre and returns the texts of the menu that opened (empty
    // when none did); the chooser answers with command.
    QStringList RightClick(QTreeWidgetItem* row, int command = 0)
    {
        QStringList texts;
        bool shown = false;
        window->SetMenuChooser([&](QMenu& menu) {
            shown = true;
            for (QAction* a : menu.actions())
                texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
            return command;
        });
        const QPoint pos = window->Tree()->RowRect(row).center();
        emit window->Tree()->customContextMenuRequested(pos);
        testenv::WaitUntil([&] { return shown; }, 300);
        testenv::Pump(20);
        return texts;
    }
};

TEST_F(HistoryWindowTests, MenuOnRecordRowsOnlyWithPlayOrStopByState)
{
    Open();
    Add(Rec("alice,bob", Local(2024, 9, 12, 9, 0)));
    ShowAt();
    CHistoryTreeItem* row = RowOf("alice,bob");
    EXPECT_TRUE(RightClick(window->Root()).isEmpty());
    EXPECT_TRUE(RightClick(window->Root()->child(0)).isEmpty());
    EXPECT_EQ(RightClick(row), (QStringList{"Play", "Call", "Send IM", "-", "Open", "Delete"}));
    EXPECT_EQ(window->Tree()->currentItem(), row);

    // Call and Send IM pass the names on unchanged.
    RightClick(row, ID_MENU_CALL);
    RightClick(row, ID_MENU_SEND_IM);
    EXPECT_EQ(calls, (QStringList{"call alice,bob", "chat alice,bob"}));
    // Open and Delete are posted: Delete asks its question.
    testenv::MessageBoxRecorder::Instance().SetAnswer(IDNO);
    RightClick(row, ID_MENU_DELETE);
    ASSERT_TRUE(testenv::WaitUntil([] { return !testenv::MessageBoxRecorder::Instance().Calls().empty(); }, 2000));
    RightClick(row, ID_MENU_OPEN);
    EXPECT_TRUE(testenv::WaitUntil([this] { return !opened.isEmpty(); }, 5000));
}

TEST_F(HistoryWindowTests, DeleteConfirmedMovesTheFileToTrashAndDeclinedKeepsAll)
{
    Open();
    const QString dir = testenv::Root() + "/Documents/Morvex";
    QDir().mkpath(dir);
    const QString fileA = dir + "/alice.mp3", fileB = dir + "/bob.mp3";
    for (const QString& f : {fileA, fileB}) {
        QFile out(f);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("ID3 not really");
    }
    Add(Rec("alice", Local(2024, 9, 12, 9, 0), true, RecordIncoming, 10, fileA));
    Add(Rec("bob", Local(2024, 9, 12, 10, 0), true, RecordOutgoing, 10, fileB));
    ShowAt();
    auto post = [this](const QString& name) {
        CHistoryTreeItem* row = RowOf(name);
        window->Tree()->setCurrentItem(row);
        PostMessage(window->Handle(), WM_HISTORY_DELETE, reinterpret_cast<quintptr>(row),
                    static_cast<LPARAM>(reinterpret_cast<quintptr>(row->Data())));
        testenv::Pump(50);
    };

    testenv::MessageBoxRecorder::Instance().SetAnswer(IDNO);
    post("alice");
    EXPECT_EQ(testenv::MessageBoxRecorder::Instance().Calls().size(), 1u);
    EXPECT_TRUE(QFile::exists(fileA));
    EXPECT_NE(RowOf("alice"), nullptr);
    EXPECT_EQ(store->GetCount(), 2);

    testenv::MessageBoxRecorder::Instance().SetAnswer(IDYES);
    CHistoryTreeItem* alice = RowOf("alice");
    const LPARAM data = static_cast<LPARAM>(reinterpret_cast<quintptr>(alice->Data()));
    post("alice");
    EXPECT_FALSE(QFile::exists(fileA));
    EXPECT_TRUE(QDir(testenv::Root() + "/data/Trash/files").exists("alice.mp3"));
    EXPECT_EQ(RowOf("alice"), nullptr);
    EXPECT_EQ(store->GetCount(), 1);
    CHistoryRecord left;
    ASSERT_TRUE(store->GetRecord(0, left));
    EXPECT_EQ(left.name, "bob");
    EXPECT_EQ(window->Counters().total, 1);
    EXPECT_EQ(window->Counters().newCount, 1);

    // A second request for the row just deleted (a double click) is ignored: no question.
    testenv::MessageBoxRecorder::Instance().Clear();
    PostMessage(window->Handle(), WM_HISTORY_DELETE, reinterpret_cast<quintptr>(alice), data);
    testenv::Pump(50);
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls().empty());

    // An entry the store no longer knows: confirmed, but neither file nor row is touched.
    ASSERT_TRUE(store->Remove("bob", QString::number(Local(2024, 9, 12, 10, 0))));
    post("bob");
    EXPECT_TRUE(QFile::exists(fileB));
    EXPECT_NE(RowOf("bob"), nullptr);
}

TEST_F(HistoryWindowTests, ShowInFolderAsksTheFileManagerOrOpensTheFolder)
{
    Open();
    const QString file = testenv::Root() + "/Documents/Morvex/with space #1.mp3";
    Add(Rec("alice", Local(2024, 9, 12, 9, 0), true, RecordIncoming, 10, file));
    CHistoryTreeItem* row = RowOf("alice");
    auto request = [&] {
        bool done = false, viaManager = false;
        auto c = QObject::connect(window.get(), &CDlgRecHistory::ShowInFolderDone, [&](bool fm) {
            done = true;
            viaManager = fm;
        });
        PostMessage(window->Handle(), WM_HISTORY_SHOW_IN_FOLDER, reinterpret_cast<quintptr>(row),
                    static_cast<LPARAM>(reinterpret_cast<quintptr>(row->Data())));
        EXPECT_TRUE(testenv::WaitUntil([&] { return done; }, 8000));
        QObject::disconnect(c);
        return viaManager;
    };

    // No file manager on the bus: the folder is opened.
    EXPECT_FALSE(request());
    EXPECT_EQ(opened, QStringList{QUrl::fromLocalFile(testenv::Root() + "/Documents/Morvex").toString()});

    // A file manager on its own connection to the private bus.
    opened.clear();
    QDBusConnection fmBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-file-manager");
    ASSERT_TRUE(fmBus.isConnected());
    FakeFileManager fm;
    ASSERT_TRUE(fmBus.registerObject("/org/freedesktop/FileManager1", &fm, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(fmBus.registerService("org.freedesktop.FileManager1")) << qPrintable(fmBus.lastError().message());
    EXPECT_TRUE(request());
    EXPECT_EQ(fm.shown, QStringList{QUrl::fromLocalFile(file).toString()});
    EXPECT_TRUE(fm.shown.value(0).startsWith("file:///"));
    EXPECT_EQ(fm.startupId, "");
    EXPECT_TRUE(opened.isEmpty());
    fmBus.unregisterService("org.freedesktop.FileManager1");
    fmBus.unregisterObject("/org/freedesktop/FileManager1");
    QDBusConnection::disconnectFromBus("fake-file-manager");
}

TEST_F(HistoryWindowTests, PositionRestoredOnlyFromAValidValueAndSavedAtTheEnd)
{
    struct Case {
        const char* hispos;
        bool moved;
    };
    const Case cases[] = {
        {"100,200,500,400", true}, {"100,-5,500,400", false}, {"100,200", false},
        {"", false},               {"120,,230,1", true},      {"100,200,500,-1", false},
    };
    for (const Case& c : cases) {
        auto* profile = CGeneralProfile::Instance();
        profile->Load();
        profile->hispos = c.hispos;
        profile->SetChanged();
        profile->Save();
        CGeneralProfile::Release();
        Open();
        const QPoint expected = QString(c.hispos) == "120,,230,1" ? QPoint(120, 230) : QPoint(100, 200);
        if (c.moved)
            EXPECT_EQ(window->pos(), expected) << c.hispos;
        else
            EXPECT_NE(window->pos(), QPoint(100, 200)) << c.hispos;
        EXPECT_EQ(window->size(), kHistoryDefaultSize) << c.hispos;
        EXPECT_FALSE(window->isVisible());
        window.reset();
    }
    // Destroying the window stores its rectangle.
    Open();
    window->setGeometry(QRect(30, 40, 500, 260));
    window.reset();
    CGeneralProfile::Release();
    auto* profile = CGeneralProfile::Instance();
    profile->Load();
    EXPECT_EQ(profile->hispos, "30,40,530,300");
}

TEST_F(HistoryWindowTests, SizeLimitsCloseButtonAndDragging)
{
    Open();
    ShowAt(QSize(300, 100));
    EXPECT_EQ(window->size(), QSize(438, 162));
    window->resize(600, 400);
    testenv::Pump(30);
    // The layout follows the size.
    EXPECT_EQ(window->Tree()->geometry(), QRect(0, 22, 600, 400 - 52));
    EXPECT_EQ(window->Control(IDC_PLAY)->geometry().topLeft(), QPoint(6, 400 - 27));
    EXPECT_EQ(window->Control(IDC_SPEAKER)->geometry().left(), 600 - 110);
    EXPECT_EQ(window->Control(IDC_VOLUME)->geometry().right(), 600 - 3);
    EXPECT_EQ(window->Control(IDC_HISTORY_CLOSE)->geometry().right(), 600 - 2);

    // Dragging from the title strip moves the window.
    const QPoint start = window->pos();
    const QPoint grab(40, 10);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(grab), QPointF(window->mapToGlobal(grab)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &press);
    const QPoint to = window->mapToGlobal(grab) + QPoint(35, 20);
    QMouseEvent move(QEvent::MouseMove, QPointF(window->mapFromGlobal(to)), QPointF(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(window->mapFromGlobal(to)), QPointF(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &release);
    testenv::Pump(30);
    EXPECT_EQ(window->pos(), start + QPoint(35, 20));

    // The close button hides the window; it stays alive.
    static_cast<QAbstractButton*>(window->Control(IDC_HISTORY_CLOSE))->click();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(HistoryWindowTests, Screenshot)
{
    Open();
    const qint64 sep9 = Local(2024, 9, 9), sep11 = Local(2024, 9, 11), sep12 = Local(2024, 9, 12);
    Add(Rec("carol.smith", sep9 + 3600 * -2 + 1234, false, RecordOutgoing, 312));
    Add(Rec("+4930123456", sep9 + 3600 * 3 + 77, false, RecordIncoming, 48));
    Add(Rec("alice", sep11 - 3600 * 2 + 13, false, RecordIncoming, 1805));
    Add(Rec("bob", sep11 + 3600 * 4 + 400, true, RecordOutgoing, 95));
    Add(Rec("alice,bob", sep12 - 3600 * 3 + 5, true, RecordIncoming, 3725));
    Add(Rec("echo123", sep12 + 3600 * 2 + 907, true, RecordOutgoing, 21));
    Add(Rec("dave.miller", sep12 - 3600 * 1 + 600, false, RecordIncoming, 640));
    ShowAt(QSize(438, 330));
    window->Tree()->setCurrentItem(RowOf("alice,bob"));
    testenv::Pump(50);
    QString dir = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    if (dir.isEmpty())
        dir = testenv::Root() + "/screenshots";
    QDir().mkpath(dir);
    const QPixmap shot = window->grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(dir + "/history_window.png"));
    // Hover over a button of another row.
    const QRect row = window->Tree()->RowRect(RowOf("echo123"));
    SendMouse(QEvent::MouseMove, CTreeCtrlBT::FolderRect(row).center());
    testenv::Pump(30);
    EXPECT_TRUE(window->grab().save(dir + "/history_window_hover.png"));
}

} // namespace

#include "HistoryWindowTest.moc"
