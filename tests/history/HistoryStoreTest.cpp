// The history store over real files in the test's own data folder.
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "history/HistoryStore.h"
#include "platform/Folders.h"

namespace {

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(Folders::AppData()).removeRecursively();
        Folders::Ensure(Folders::AppData());
        path = Folders::AppData() + "/record.xml";
    }
    void WriteFile(const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray ReadFile() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    std::vector<CHistoryRecord> LoadAll(CHistoryStore& store)
    {
        std::vector<CHistoryRecord> records;
        const int count = store.GetCount();
        for (int i = 0; i < count; ++i) {
            CHistoryRecord record;
            if (store.GetRecord(i, record))
                records.push_back(record);
        }
        return records;
    }
    static CHistoryRecord Record(const QString& name, const QString& time)
    {
        CHistoryRecord r;
        r.name = name;
        r.time = time;
        r.file = "/home/ann/Documents/Morvex/" + name + ".mp3";
        r.type = RecordOutgoing;
        r.duration = 65;
        return r;
    }
    QStringList EntriesInFile() const
    {
        pugi::xml_document doc;
        const QByteArray bytes = ReadFile();
        EXPECT_TRUE(doc.load_buffer(bytes.constData(), size_t(bytes.size())));
        QStringList names;
        for (pugi::xml_node n : doc.child("morvex").child("list").children())
            names << QString::fromUtf8(n.child("name").text().get());
        return names;
    }
    QString path;
};

QByteArray Wrap(const QByteArray& entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?><morvex><list>" + entries + "</list></morvex>";
}

} // namespace

TEST_F(HistoryTest, NoFileStartsEmptyAndTheFirstAddWritesTheWholeLayout)
{
    CHistoryStore store;
    store.SetClock([] { return QDateTime(QDate(2012, 3, 3), QTime(14, 5, 9), Qt::UTC); });
    store.Open(path);
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_FALSE(QFile::exists(path));

    CHistoryRecord record = Record("ann", "1330783509");
    record.note = "first line\r\nsecond & <third>";
    ASSERT_TRUE(store.Add(record));
    EXPECT_EQ(ReadFile(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>"
                          "<morvex><list><rec20120303140509>"
                          "<name>ann</name><time>1330783509</time><file>/home/ann/Documents/Morvex/ann.mp3</file>"
                          "<type>2</type><duration>65</duration><new>true</new>"
                          "<note>first linealineddsecond &amp; &lt;third&gt;</note>"
                          "</rec20120303140509></list></morvex>");

    // Entries added within the same second get names of their own; none replaces another.
    ASSERT_TRUE(store.Add(Record("bob", "1330783510")));
    ASSERT_TRUE(store.Add(Record("cy", "1330783511")));
    const QByteArray bytes = ReadFile();
    EXPECT_TRUE(bytes.contains("<rec20120303140509_2><name>bob</name>")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("<rec20120303140509_3><name>cy</name>")) << bytes.constData();

    CHistoryStore reopened;
    reopened.Open(path);
    const auto records = LoadAll(reopened);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].note, "first line\r\nsecond & <third>");
    EXPECT_EQ(records[0].file, record.file);
    EXPECT_EQ(records[0].type, RecordOutgoing);
    EXPECT_EQ(records[0].duration, 65);
    EXPECT_TRUE(records[0].isNew);
    EXPECT_EQ(records[1].name, "bob");
    EXPECT_EQ(records[2].name, "cy");
}

// Hand-written files: what each entry loads as, and what the reads leave in the file after the
// next save.
TEST_F(HistoryTest, LoadsHandWrittenEntries)
{
    WriteFile(Wrap("<rec1><name>a</name><time>1</time><file>/f/a.mp3</file><type>1</type><duration>12</duration>"
                   "<new>TRUE</new><note>x</note></rec1>"
                   "<entry><name>b</name><time>2</time><type></type><duration/><new>yes</new>"
                   "<note>one alinedd two\xC3\xA9</note></entry>"
                   "<zzz><name>c</name><time>3</time><type>2abc</type><duration> -7</duration><new>False</new></zzz>"
                   "<rec4/>"));
    CHistoryStore store;
    store.Open(path);
    ASSERT_EQ(store.GetCount(), 4);
    const auto r = LoadAll(store);
    ASSERT_EQ(r.size(), 4u);

    struct Row { const char* name; int type; int duration; bool isNew; QString note; };
    const Row rows[] = {
        {"a", 1, 12, true, "x"},
        {"b", 0, 0, false, QString::fromUtf8("one \r\n two\xC3\xA9")},
        {"c", 2, -7, false, ""},
        {"", 0, 0, false, ""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(r[i].name, rows[i].name) << i;
        EXPECT_EQ(r[i].type, rows[i].type) << i;
        EXPECT_EQ(r[i].duration, rows[i].duration) << i;
        EXPECT_EQ(r[i].isNew, rows[i].isNew) << i;
        EXPECT_EQ(r[i].note, rows[i].note) << i;
    }
    EXPECT_EQ(r[0].file, "/f/a.mp3");

    // The next change writes the defaults the reads filled in, and the created elements.
    ASSERT_TRUE(store.MarkPlayed("A", "1"));
    const QByteArray bytes = ReadFile();
    EXPECT_TRUE(bytes.contains("<entry><name>b</name><time>2</time><type>0</type><duration>0</duration><new>false</new>"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains("<rec1><name>a</name><time>1</time><file>/f/a.mp3</file><type>1</type><duration>12</duration>"
                               "<new>false</new>")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("<rec4><name/><time/><file/><type>0</type><new>false</new><duration>0</duration><note/></rec4>"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains("<zzz><name>c</name><time>3</time><type>2abc</type><duration> -7</duration><new>False</new>"))
        << bytes.constData();
}

TEST_F(HistoryTest, FindIgnoresLetterCaseAndMissingEntriesChangeNothing)
{
    CHistoryStore store;
    store.Open(path);
    ASSERT_TRUE(store.Add(Record("Ann.Smith", "100")));
    ASSERT_TRUE(store.Add(Record("bob", "200")));
    ASSERT_TRUE(store.Add(Record("\xC3\x89lise", "300")));
    const QByteArray saved = ReadFile();

    EXPECT_FALSE(store.Add(Record("ANN.SMITH", "100")));  // same entry in other letters
    EXPECT_FALSE(store.Add(Record("\xC3\xA9LISE", "300")));
    EXPECT_FALSE(store.Remove("ann.smith", "101"));
    EXPECT_FALSE(store.Remove("nobody", "100"));
    EXPECT_FALSE(store.MarkPlayed("bob", "100"));
    EXPECT_EQ(ReadFile(), saved);
    EXPECT_EQ(store.GetCount(), 3);

    EXPECT_TRUE(store.MarkPlayed("BOB", "200"));
    EXPECT_TRUE(store.Remove("ann.SMITH", "100"));
    EXPECT_FALSE(store.Remove("ann.smith", "100"));
    EXPECT_EQ(EntriesInFile(), (QStringList{"bob", QString::fromUtf8("\xC3\x89lise")}));
    CHistoryStore reopened;
    reopened.Open(path);
    const auto records = LoadAll(reopened);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_FALSE(records[0].isNew);
    EXPECT_TRUE(records[1].isNew);
}

TEST_F(HistoryTest, MarkPlayedCreatesAMissingNewElement)
{
    WriteFile(Wrap("<rec1><name>a</name><time>1</time></rec1>"));
    CHistoryStore store;
    store.Open(path);
    ASSERT_TRUE(store.MarkPlayed("a", "1"));
    EXPECT_TRUE(ReadFile().contains("<rec1><name>a</name><time>1</time><new>false</new></rec1>")) << ReadFile().constData();
}

TEST_F(HistoryTest, AnUnparsableFileIsMovedAsideAndTheNextSaveWritesAFreshOne)
{
    const QByteArray broken = Wrap("<rec1><name>a</name><time>1</time>").left(60);
    WriteFile(broken);
    CHistoryStore store;
    store.Open(path);
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(ReadFile(), broken); // nothing is touched before a change

    ASSERT_TRUE(store.Add(Record("ann", "5")));
    const QStringList aside = QDir(Folders::AppData()).entryList({"record.xml.unreadable-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(QRegularExpression("^record\\.xml\\.unreadable-\\d{14}$").match(aside[0]).hasMatch());
    QFile moved(Folders::AppData() + "/" + aside[0]);
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), broken);
    EXPECT_TRUE(ReadFile().startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?><morvex><list><rec"));
    EXPECT_EQ(EntriesInFile(), QStringList{"ann"});

    // A second broken file the same second does not replace the first one moved aside.
    WriteFile("not xml at all");
    CHistoryStore again;
    again.Open(path);
    ASSERT_TRUE(again.Add(Record("bob", "6")));
    EXPECT_EQ(QDir(Folders::AppData()).entryList({"record.xml.unreadable-*"}, QDir::Files).size(), 2);
    EXPECT_EQ(QDir(Folders::AppData()).entryList(QDir::Files).size(), 3); // no temporary files left
}

TEST_F(HistoryTest, WithoutADocumentEverythingFails)
{
    CHistoryStore store; // never opened
    CHistoryRecord record;
    EXPECT_EQ(store.GetCount(), -1);
    EXPECT_FALSE(store.GetRecord(0, record));
    EXPECT_FALSE(store.Add(Record("a", "1")));
    EXPECT_FALSE(store.Remove("a", "1"));
    EXPECT_FALSE(store.MarkPlayed("a", "1"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(HistoryTest, AFailedSaveKeepsTheChangeInMemory)
{
    const QString missing = Folders::AppData() + "/gone/record.xml"; // the store never creates folders
    CHistoryStore store;
    store.Open(missing);
    EXPECT_TRUE(store.Add(Record("a", "1")));
    EXPECT_FALSE(QFile::exists(missing));
    Folders::Ensure(Folders::AppData() + "/gone");
    EXPECT_TRUE(store.Add(Record("b", "2")));
    path = missing;
    EXPECT_EQ(EntriesInFile(), (QStringList{"a", "b"}));
}
