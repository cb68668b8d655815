// The options dialog on the real settings record and registry file (offscreen): what each
// page shows, what each click writes, Apply and Cancel, and screenshots of the four pages.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "platform/Folders.h"
#include "platform/OpenUrl.h"
#include "settings/AutoStart.h"
#include "settings/DlgChatReplySettings.h"
#include "settings/DlgOptions.h"
#include "settings/DlgRecordingSettings.h"
#include "settings/GeneralProfile.h"
#include "settings/OptionsPage.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(Folders::AppConfig() + "/registry.reg");
        QFile::remove(AutoStartEntryPath());
        CGeneralProfile::Release();
        testenv::MessageBoxRecorder::Instance().Clear();
    }
    void TearDown() override
    {
        dialog.reset();
        CGeneralProfile::Release();
        CDlgRecordingSettings::SetFolderBrowser(nullptr);
        SetOpenUrlHandler(nullptr);
    }
    CDlgOptions* Open()
    {
        dialog = std::make_unique<CDlgOptions>();
        dialog->show();
        return dialog.get();
    }
    template <class T = QAbstractButton>
    T* Control(int page, int id)
    {
        auto* w = qobject_cast<T*>(dialog->Page(page)->Control(id));
        EXPECT_NE(w, nullptr) << "page " << page << " control " << id;
        return w;
    }
    void Click(int page, int id)
    {
        dialog->Tabs()->setCurrentIndex(page);
        QAbstractButton* b = Control(page, id);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    static std::unique_ptr<CGeneralProfile> Stored()
    {
        auto stored = std::make_unique<CGeneralProfile>();
        stored->Load();
        return stored;
    }
    CGeneralProfile* Profile() { return CGeneralProfile::Instance(); }

    std::unique_ptr<CDlgOptions> dialog;
};

TEST_F(OptionsDialogTest, TabsShowOnePageAtATime)
{
    Open();
    EXPECT_EQ(dialog->windowTitle(), "Options");
    ASSERT_EQ(dialog->Tabs()->count(), 4);
    const QStringList texts{"General", "Call Recording", "MP3 Quality", "Chat Reply"};
    QString dir = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    if (dir.isEmpty())
        dir = testenv::Root() + "/screenshots";
    QDir().mkpath(dir);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dialog->Tabs()->tabText(i), texts[i]);
        dialog->Tabs()->setCurrentIndex(i);
        EXPECT_EQ(dialog->CurrentPage(), i);
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(dialog->Page(j)->isVisible(), i == j);
        EXPECT_TRUE(dialog->grab().save(dir + QStringLiteral("/options_%1.png").arg(i)));
    }
    // The hidden control of the General page stays hidden.
    EXPECT_FALSE(Control(0, 1022)->isVisible());
}

TEST_F(OptionsDialogTest, EveryClickIsWrittenIntoTheSharedSettingsAtOnce)
{
    Open();
    CGeneralProfile* p = Profile();
    // General: each check box mirrors its flag.
    struct Box {
        int id;
        bool CGeneralProfile::*field;
    } boxes[] = {{1021, &CGeneralProfile::autostart},
                 {1029, &CGeneralProfile::notifycov},
                 {1030, &CGeneralProfile::notifyfinish},
                 {1058, &CGeneralProfile::notifyhistory},
                 {1062, &CGeneralProfile::starthide}};
    for (const Box& b : boxes) {
        const bool before = p->*b.field;
        EXPECT_EQ(Control(0, b.id)->isChecked(), before) << b.id;
        Click(0, b.id);
        EXPECT_EQ(p->*b.field, !before) << b.id;
        Click(0, b.id);
        EXPECT_EQ(p->*b.field, before) << b.id;
    }

    // Radio groups: the value written is the button's place in its group.
    struct Radio {
        int page, id;
        int CGeneralProfile::*field;
        int value;
    } radios[] = {
        {1, 1035, &CGeneralProfile::recside, 1}, {1, 1055, &CGeneralProfile::recside, 2},
        {1, 1034, &CGeneralProfile::recside, 0}, {2, 1042, &CGeneralProfile::amode, 0},
        {2, 1044, &CGeneralProfile::amode, 2},   {2, 1043, &CGeneralProfile::amode, 1},
        {2, 1045, &CGeneralProfile::abitrate, 0}, {2, 1050, &CGeneralProfile::abitrate, 5},
        {2, 1048, &CGeneralProfile::abitrate, 3}, {2, 1051, &CGeneralProfile::asample, 0},
        {2, 1054, &CGeneralProfile::asample, 3}, {2, 1053, &CGeneralProfile::asample, 2},
    };
    for (const Radio& r : radios) {
        Click(r.page, r.id);
        EXPECT_EQ(p->*r.field, r.value) << r.id;
        EXPECT_TRUE(Control(r.page, r.id)->isChecked());
    }
    Click(1, 1033);
    EXPECT_FALSE(p->rectype);
    Click(1, 1032);
    EXPECT_TRUE(p->rectype);
    Click(1, 1033);
    EXPECT_FALSE(p->rectype);

    // Nothing is stored until Apply.
    EXPECT_EQ(Stored()->abitrate, 1);
    dialog->ApplyButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    const auto stored = Stored();
    EXPECT_EQ(stored->recside, 0);
    EXPECT_EQ(stored->amode, 1);
    EXPECT_EQ(stored->abitrate, 3);
    EXPECT_EQ(stored->asample, 2);
    EXPECT_FALSE(stored->rectype);
}

TEST_F(OptionsDialogTest, PagesShowTheValuesTheyOpenWith)
{
    {
        CGeneralProfile stored;
        stored.Load();
        stored.rectype = false;
        stored.recside = 2;
        stored.amode = 2;
        stored.abitrate = 4;
        stored.asample = 0;
        stored.sfolder = "/srv/calls";
        stored.chatreply = false;
        stored.replytxt = "back soon";
        stored.SetChanged();
        stored.Save();
    }
    Open();
    EXPECT_TRUE(Control(1, 1033)->isChecked());
    EXPECT_TRUE(Control(1, 1055)->isChecked());
    EXPECT_TRUE(Control(2, 1044)->isChecked());
    EXPECT_TRUE(Control(2, 1049)->isChecked());
    EXPECT_TRUE(Control(2, 1051)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(1, 1037)->text(), "/srv/calls");
    EXPECT_TRUE(Control<QLineEdit>(1, 1037)->isReadOnly());
    EXPECT_EQ(Control<QPlainTextEdit>(3, 1065)->toPlainText(), "back soon");
    EXPECT_FALSE(Control(3, 1058)->isChecked());
    for (int id : {1063, 1064, 1065})
        EXPECT_FALSE(dialog->Page(3)->Control(id)->isEnabled()) << id;
}

TEST_F(OptionsDialogTest, ChatReplyControlsFollowTheirSwitchAndTheTextIsLimited)
{
    Open();
    CGeneralProfile* p = Profile();
    ASSERT_TRUE(p->chatreply);
    const bool online = p->onlinereply, notOnline = p->notonlinereply;
    Click(3, 1058);
    EXPECT_FALSE(p->chatreply);
    for (int id : {1063, 1064, 1065})
        EXPECT_FALSE(dialog->Page(3)->Control(id)->isEnabled()) << id;
    EXPECT_EQ(p->onlinereply, online); // their values stay
    EXPECT_EQ(p->notonlinereply, notOnline);
    Click(3, 1058);
    EXPECT_TRUE(p->chatreply);
    Click(3, 1063);
    EXPECT_EQ(p->onlinereply, !online);
    Click(3, 1064);
    EXPECT_EQ(p->notonlinereply, !notOnline);

    auto* edit = Control<QPlainTextEdit>(3, 1065);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "away");
    EXPECT_EQ(p->replytxt, "away");
    // Typing at the limit adds nothing; a paste past it keeps only what fits, where it went.
    edit->setPlainText(QString(kReplyTextMaxChars - 2, u'a'));
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, "bcde");
    EXPECT_EQ(p->replytxt, QString(kReplyTextMaxChars - 2, u'a') + "bc");
    EXPECT_EQ(edit->toPlainText().size(), kReplyTextMaxChars);
    edit->moveCursor(QTextCursor::Start);
    QTest::keyClicks(edit, "X");
    EXPECT_EQ(p->replytxt.size(), kReplyTextMaxChars);
    EXPECT_TRUE(p->replytxt.startsWith(u'a'));
}

TEST_F(OptionsDialogTest, BrowseAndOpenTheRecordingFolder)
{
    Open();
    CGeneralProfile* p = Profile();
    const QString chosen = testenv::Root() + "/elsewhere";
    QDir().mkpath(chosen);
    QString title;
    QString answer = chosen;
    CDlgRecordingSettings::SetFolderBrowser([&](QWidget*, const QString& t, const QString&) {
        title = t;
        return answer;
    });
    Click(1, 1027);
    EXPECT_EQ(title, "Select recording folder");
    EXPECT_EQ(p->sfolder, chosen);
    EXPECT_EQ(Control<QLineEdit>(1, 1037)->text(), chosen);
    // Cancelled: the folder stays.
    answer.clear();
    Click(1, 1027);
    EXPECT_EQ(p->sfolder, chosen);

    QStringList opened;
    SetOpenUrlHandler([&](const QString& url) {
        opened << url;
        return true;
    });
    Click(1, 1036);
    EXPECT_EQ(opened, QStringList{QUrl::fromLocalFile(chosen).toString()});
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls().empty());
    // A folder that is gone is reported, and the dialog stays as it is.
    QDir(chosen).removeRecursively();
    Click(1, 1036);
    EXPECT_EQ(opened.size(), 1);
    ASSERT_EQ(testenv::MessageBoxRecorder::Instance().Calls().size(), 1u);
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls()[0].text.contains(chosen));
    EXPECT_EQ(p->sfolder, chosen);
}

TEST_F(OptionsDialogTest, ApplyWritesTheAutostartEntryAndCancelLeavesChangesToTheNextSave)
{
    Open();
    Click(0, 1021);
    dialog->ApplyButton()->click();
    EXPECT_TRUE(QFile::exists(AutoStartEntryPath()));
    EXPECT_TRUE(Stored()->autostart);

    // Stereo chosen, then Cancel: in memory at once, not stored.
    Profile()->amode = 0;
    Profile()->SetChanged();
    Profile()->Save();
    Open();
    Click(2, 1043);
    Click(0, 1021); // autostart off, but Cancel does not touch the entry
    dialog->CancelButton()->click();
    EXPECT_EQ(Profile()->amode, 1);
    EXPECT_EQ(Stored()->amode, 0);
    EXPECT_TRUE(QFile::exists(AutoStartEntryPath()));
    // Opening again reloads the stored settings: the unsaved choice is gone.
    Open();
    EXPECT_EQ(Profile()->amode, 0);
    EXPECT_TRUE(Control(2, 1042)->isChecked());
    EXPECT_TRUE(Profile()->autostart);
    // Apply with autostart off removes the entry.
    Click(0, 1021);
    dialog->ApplyButton()->click();
    EXPECT_FALSE(QFile::exists(AutoStartEntryPath()));

    // A change made elsewhere and saved (the tray menu) shows when the dialog opens.
    Profile()->recside = 1;
    Profile()->Save();
    Open();
    EXPECT_TRUE(Control(1, 1035)->isChecked());
}

} // namespace
