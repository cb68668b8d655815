// The settings record against real registry files in the test's own config folder.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "platform/Folders.h"
#include "settings/AutoStart.h"
#include "settings/GeneralProfile.h"
#include "settings/RegistryFile.h"
#include "settings/SettingsConstants.h"

namespace {

const QString kKey = "software\\Morvex\\config";

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(Folders::AppConfig()).removeRecursively();
        QFile::remove(AutoStartEntryPath());
    }
    static QString StorePath() { return CRegisterAccess::StorePath(); }
    static void WriteStore(const QByteArray& body)
    {
        Folders::Ensure(Folders::AppConfig());
        QFile file(StorePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("Windows Registry Editor Version 5.00\n\n[software\\Morvex\\config]\n" + body);
    }
    static QByteArray ReadStore()
    {
        QFile file(StorePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static CRegistryFile ParsedStore()
    {
        CRegistryFile file;
        EXPECT_EQ(file.Load(StorePath()), CRegistryFile::LoadResult::Loaded);
        return file;
    }
};

struct Expected {
    const char* name;
    DWORD type;
    QByteArray data;
};

QByteArray Dword(DWORD v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); }
QByteArray Flag(bool v) { return QByteArray(1, v ? '\1' : '\0'); }

} // namespace

TEST_F(ProfileTest, FirstLoadWritesAllNineteenValuesAtTheirDefaults)
{
    CGeneralProfile profile;
    EXPECT_TRUE(profile.Load());
    EXPECT_FALSE(profile.IsChanged());

    const Expected expected[] = {
        {"autostart", REG_BINARY, Flag(false)},   {"notifycov", REG_BINARY, Flag(true)},
        {"notifyfinish", REG_BINARY, Flag(true)}, {"notifyhistory", REG_BINARY, Flag(true)},
        {"position", REG_SZ, CRegistryFile::TextBytes("")},
        {"hispos", REG_SZ, CRegistryFile::TextBytes("")},
        {"starthide", REG_BINARY, Flag(false)},   {"topmost", REG_BINARY, Flag(false)},
        {"sticksky", REG_BINARY, Flag(false)},    {"rectype", REG_BINARY, Flag(true)},
        {"recside", REG_DWORD, Dword(0)},
        {"sfolder", REG_SZ, CRegistryFile::TextBytes(Folders::Documents() + "/Morvex")},
        {"amode", REG_DWORD, Dword(1)},           {"abitrate", REG_DWORD, Dword(1)},
        {"asample", REG_DWORD, Dword(1)},         {"chatreply", REG_BINARY, Flag(true)},
        {"onlinereply", REG_BINARY, Flag(false)}, {"notonlinereply", REG_BINARY, Flag(true)},
        {"replytxt", REG_SZ, CRegistryFile::TextBytes("/me is not available for chat.")},
    };
    const CRegistryFile store = ParsedStore();
    ASSERT_EQ(store.Keys().size(), 1u);
    EXPECT_EQ(store.Keys()[0].path, kKey);
    ASSERT_EQ(store.Keys()[0].values.size(), size_t(kSettingsValueCount));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const RegValue& value = store.Keys()[0].values[i]; // in the order Load reads them
        EXPECT_EQ(value.name, expected[i].name);
        EXPECT_EQ(value.type, expected[i].type) << expected[i].name;
        EXPECT_EQ(value.data, expected[i].data) << expected[i].name;
    }
    const QByteArray text = ReadStore();
    EXPECT_TRUE(text.contains("\"recside\"=dword:00000000\n"));
    EXPECT_TRUE(text.contains("\"chatreply\"=hex:01\n"));
    EXPECT_TRUE(text.contains("\"replytxt\"=\"/me is not available for chat.\"\n"));
}

// The options dialog takes replies of up to 512 characters; such a reply survives a restart, a
// longer hand-edited one does not.
TEST_F(ProfileTest, LongestReplyTextIsReadBack)
{
    CGeneralProfile profile;
    profile.Load();
    profile.replytxt = QString(512, QChar(0x00E9));
    profile.SetChanged();
    profile.Save();
    CGeneralProfile again;
    again.Load();
    EXPECT_EQ(again.replytxt, QString(512, QChar(0x00E9)));

    again.replytxt = QString(513, u'r');
    again.SetChanged();
    again.Save();
    CGeneralProfile third;
    third.Load();
    EXPECT_EQ(third.replytxt, "/me is not available for chat.");
}

// Hand-edited stores: what Load makes of each value, and what it writes back.
TEST_F(ProfileTest, LoadTakesWhatFitsAndReplacesWhatDoesNot)
{
    const QString text259(259, u'x');
    const QString text300(300, u'p');
    WriteStore("\"position\"=\"" + text300.toUtf8() + "\"\n"   // too long: replaced by the default
               "\"hispos\"=\"" + text259.toUtf8() + "\"\n"     // 259 characters still fit
               "\"topmost\"=dword:00000001\n"                  // a flag stored as a number
               "\"notifycov\"=hex:00\n"
               "\"starthide\"=hex:07\n"                        // any non-zero byte is true
               "\"sticksky\"=hex:\n"                           // empty: zero
               "\"recside\"=hex:02\n"                          // a number stored as one byte
               "\"amode\"=dword:ffffffff\n"
               "\"sfolder\"=\"/srv/rec \\\"calls\\\" \\\\ x\"\n"
               "\"asample\"=hex(b):01,00,00,00,00,00,00,00\n"); // 8 bytes: does not fit
    CGeneralProfile profile;
    profile.Load();
    EXPECT_EQ(profile.position, "");
    EXPECT_EQ(profile.hispos, text259);
    EXPECT_FALSE(profile.topmost);
    EXPECT_FALSE(profile.notifycov);
    EXPECT_TRUE(profile.starthide);
    EXPECT_FALSE(profile.sticksky);
    EXPECT_EQ(profile.recside, 2);
    EXPECT_EQ(profile.amode, -1);
    EXPECT_EQ(profile.sfolder, "/srv/rec \"calls\" \\ x");
    EXPECT_EQ(profile.asample, 1);
    EXPECT_EQ(profile.replytxt, "/me is not available for chat.");

    const CRegistryFile store = ParsedStore();
    auto value = [&](const char* name) { return store.Find(kKey, name); };
    EXPECT_EQ(value("position")->data, CRegistryFile::TextBytes(""));
    EXPECT_EQ(value("hispos")->data, CRegistryFile::TextBytes(text259));
    EXPECT_EQ(value("topmost")->type, REG_BINARY);
    EXPECT_EQ(value("topmost")->data, Flag(false));
    EXPECT_EQ(value("recside")->type, REG_BINARY); // taken as read, left as it was
    EXPECT_EQ(value("asample")->type, REG_DWORD);
    EXPECT_EQ(value("asample")->data, Dword(1));
    EXPECT_EQ(value("replytxt")->data, CRegistryFile::TextBytes("/me is not available for chat."));
    EXPECT_EQ(store.Keys()[0].values.size(), size_t(kSettingsValueCount));
}

TEST_F(ProfileTest, AMissingValueIsWrittenBackWithTheValueInMemory)
{
    CGeneralProfile profile;
    profile.Load();
    CRegistryFile store = ParsedStore();
    store.Remove(kKey, "replytxt");
    store.Remove(kKey, "recside");
    ASSERT_TRUE(store.Save());

    profile.replytxt = "busy";
    profile.recside = 2;
    profile.Load();
    EXPECT_EQ(profile.replytxt, "busy");
    EXPECT_EQ(ParsedStore().Find(kKey, "replytxt")->data, CRegistryFile::TextBytes("busy"));
    EXPECT_EQ(ParsedStore().Find(kKey, "recside")->data, Dword(2));

    // A fresh record (a new start) re-creates the deleted text with its default.
    store = ParsedStore();
    store.Remove(kKey, "replytxt");
    ASSERT_TRUE(store.Save());
    CGeneralProfile fresh;
    fresh.Load();
    EXPECT_EQ(fresh.replytxt, "/me is not available for chat.");
    EXPECT_EQ(ParsedStore().Find(kKey, "replytxt")->data, CRegistryFile::TextBytes("/me is not available for chat."));
}

TEST_F(ProfileTest, SaveWritesNothingUntilChangedThenEverythingEveryTime)
{
    CGeneralProfile profile;
    profile.recside = 1;
    EXPECT_TRUE(profile.Save());
    EXPECT_FALSE(QFileInfo::exists(StorePath()));

    profile.SetChanged();
    profile.Save();
    CRegistryFile store = ParsedStore();
    ASSERT_EQ(store.Keys().size(), 1u);
    ASSERT_EQ(store.Keys()[0].values.size(), size_t(kSettingsValueCount));
    const char* order[] = {"autostart", "notifycov", "notifyfinish", "notifyhistory", "position", "hispos", "starthide",
                           "topmost", "rectype", "recside", "sfolder", "amode", "abitrate", "asample", "chatreply",
                           "onlinereply", "notonlinereply", "replytxt", "sticksky"};
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(store.Keys()[0].values[i].name, order[i]);
    EXPECT_EQ(store.Find(kKey, "recside")->data, Dword(1));

    // Hand edits elsewhere in the file survive; a later save writes everything again.
    store.Remove(kKey, "amode");
    store.Set("software\\Morvex\\other", "keep", REG_SZ, CRegistryFile::TextBytes("me"));
    ASSERT_TRUE(store.Save());
    profile.replytxt = "line one\r\nline \"two\" \\";
    profile.position = "10,20,300,400";
    profile.Save();

    CGeneralProfile reread;
    reread.Load();
    EXPECT_EQ(reread.replytxt, profile.replytxt);
    EXPECT_EQ(reread.position, "10,20,300,400");
    EXPECT_EQ(reread.recside, 1);
    store = ParsedStore();
    EXPECT_NE(store.Find(kKey, "amode"), nullptr);
    ASSERT_NE(store.Find("software\\Morvex\\other", "keep"), nullptr);
    // No temporary files are left beside the store.
    EXPECT_EQ(QDir(Folders::AppConfig()).entryList(QDir::Files), QStringList{"registry.reg"});
}

TEST_F(ProfileTest, AnUnparsableStoreIsMovedAsideBeforeAFreshOneIsWritten)
{
    WriteStore("\"recside\"=dword:00000002\n\"broken\n");
    const QByteArray original = ReadStore();
    CGeneralProfile profile;
    profile.Load();
    EXPECT_EQ(profile.recside, 0); // nothing of the broken file is taken

    const QStringList aside = QDir(Folders::AppConfig()).entryList({"registry.reg.unreadable-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(QRegularExpression("^registry\\.reg\\.unreadable-\\d{14}$").match(aside[0]).hasMatch()) << aside[0].toStdString();
    QFile moved(Folders::AppConfig() + "/" + aside[0]);
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), original);
    EXPECT_EQ(ParsedStore().Keys()[0].values.size(), size_t(kSettingsValueCount));
}

TEST_F(ProfileTest, AutoStartEntry)
{
    const QString entry = AutoStartEntryPath();
    EXPECT_EQ(entry, Folders::ConfigHome() + "/autostart/Morvex.desktop");
    EXPECT_EQ(DisableAutoStart(), 0);

    EXPECT_EQ(EnableAutoStart(), 1);
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nExec=\"" + QCoreApplication::applicationFilePath() + "\"\n")) << text.toStdString();

    // An entry that names another place of the program is left as it is.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Desktop Entry]\nExec=\"/old/place\"\n");
    file.close();
    EXPECT_EQ(EnableAutoStart(), 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[Desktop Entry]\nExec=\"/old/place\"\n");
    file.close();

    EXPECT_EQ(DisableAutoStart(), 1);
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_EQ(DisableAutoStart(), 0);
}
