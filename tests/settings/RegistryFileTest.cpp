// The registry file's syntax: what parses, what is refused, and that writing and reading back
// keeps types and bytes.
#include <gtest/gtest.h>

#include "settings/RegistryFile.h"
#include "settings/SettingsConstants.h"

namespace {
const QString kKey = "software\\Morvex\\config";
}

TEST(RegistryFile, ParsesEveryValueForm)
{
    CRegistryFile file;
    ASSERT_TRUE(file.Parse("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                           "\r\n"
                           "; a comment\r\n"
                           "[SOFTWARE\\Morvex\\Config]\r\n"
                           "\"recside\"=dword:00000002\r\n"
                           "\"autostart\"=hex:01\r\n"
                           "\"sfolder\"=\"C:\\\\rec \\\"x\\\" \xC3\xA9\"\r\n"
                           "\"odd\"=hex(1):41,00,\\\r\n"
                           "   42,00\r\n"
                           "@=\"default\"\r\n"));
    const RegValue* recside = file.Find(kKey, "RECSIDE");
    ASSERT_NE(recside, nullptr);
    EXPECT_EQ(recside->type, REG_DWORD);
    EXPECT_EQ(recside->data, QByteArray("\x02\x00\x00\x00", 4));
    EXPECT_EQ(file.Find(kKey, "autostart")->type, REG_BINARY);
    EXPECT_EQ(file.Find(kKey, "autostart")->data, QByteArray("\x01", 1));
    EXPECT_EQ(file.Find(kKey, "sfolder")->data, CRegistryFile::TextBytes(QString::fromUtf8("C:\\rec \"x\" \xC3\xA9")));
    EXPECT_EQ(file.Find(kKey, "odd")->type, REG_SZ);
    EXPECT_EQ(file.Find(kKey, "odd")->data, QByteArray("A\0B\0", 4)); // no terminator
    EXPECT_EQ(file.Find(kKey, "")->data, CRegistryFile::TextBytes("default"));
}

TEST(RegistryFile, RefusesWhatIsNotTheSyntax)
{
    const char* bad[] = {
        "\"recside\"=dword:00000001\n",                  // a value before any key
        "[software\\Morvex\\config]\nrecside=1\n",       // unquoted name
        "[software\\Morvex\\config]\n\"a\"=dword:xyz\n", // not hex
        "[software\\Morvex\\config]\n\"a\"=dword:123456789\n",
        "[software\\Morvex\\config]\n\"a\"=hex:1ff\n",
        "[software\\Morvex\\config]\n\"a\"=\"open\n",    // string not closed
        "[software\\Morvex\\config]\n\"a\"=\"x\" y\n",   // junk after the string
        "[software\\Morvex\\config\n",
        "[software\\Morvex\\config]\n\"a\"=hex:01,\\\n", // continuation never ends
        "<?xml version=\"1.0\"?><morvex/>",
    };
    for (const char* text : bad) {
        CRegistryFile file;
        EXPECT_FALSE(file.Parse(text)) << text;
        EXPECT_TRUE(file.Keys().empty()) << text;
    }
}

TEST(RegistryFile, WritesWhatItReadsBackByteForByte)
{
    CRegistryFile file;
    file.Set(kKey, "plain", REG_SZ, CRegistryFile::TextBytes("a \\ b \"c\""));
    file.Set(kKey, "lines", REG_SZ, CRegistryFile::TextBytes("one\r\ntwo"));
    file.Set(kKey, "padded", REG_SZ, QByteArray(520, '\0'));
    file.Set(kKey, "number", REG_DWORD, QByteArray("\x78\x56\x34\x12", 4));
    file.Set(kKey, "short", REG_DWORD, QByteArray("\x05", 1));
    file.Set(kKey, "flag", REG_BINARY, QByteArray("\x00", 1));
    file.Set("software\\Other", "x", 7, QByteArray("a\0\0\0", 4));
    const QByteArray text = file.Serialize();
    EXPECT_TRUE(text.contains("[software\\Morvex\\config]\n")) << text.constData();
    EXPECT_TRUE(text.contains("\"plain\"=\"a \\\\ b \\\"c\\\"\"\n")) << text.constData();
    EXPECT_TRUE(text.contains("\"number\"=dword:12345678\n")) << text.constData();
    EXPECT_TRUE(text.contains("\"flag\"=hex:00\n")) << text.constData();

    CRegistryFile back;
    ASSERT_TRUE(back.Parse(text)) << text.constData();
    for (const RegKey& key : file.Keys()) {
        for (const RegValue& value : key.values) {
            const RegValue* read = back.Find(key.path, value.name);
            ASSERT_NE(read, nullptr) << value.name.toStdString();
            EXPECT_EQ(read->type, value.type) << value.name.toStdString();
            EXPECT_EQ(read->data, value.data) << value.name.toStdString();
        }
    }
}
