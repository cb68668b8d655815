// A process saving the history in a loop is killed at random moments; the surviving record.xml
// always parses and holds only whole entries.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <random>

#include "platform/Folders.h"

TEST(HistoryKill, EverySurvivingFileIsWhole)
{
    const QString folder = Folders::AppData() + "/kill";
    QDir(folder).removeRecursively();
    Folders::Ensure(folder);
    const QString path = folder + "/record.xml";

    std::mt19937 random(12345);
    int checked = 0;
    for (int round = 0; round < 25; ++round) {
        QProcess child;
        child.start(KESTREL_HISTORY_SAVE_LOOP, {path});
        ASSERT_TRUE(child.waitForStarted(5000));
        ASSERT_TRUE(child.waitForReadyRead(5000));
        QThread::msleep(std::uniform_int_distribution<int>(5, 120)(random));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(5000));

        if (!QFile::exists(path))
            continue; // killed before the first save finished
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_buffer(bytes.constData(), size_t(bytes.size()))) << "round " << round;
        for (pugi::xml_node entry : doc.child("morvex").child("list").children()) {
            // Every entry has all seven fields, and its note is whole.
            int fields = 0;
            for (pugi::xml_node field = entry.first_child(); field; field = field.next_sibling())
                ++fields;
            ASSERT_EQ(fields, 7) << "round " << round;
            const QString name = QString::fromUtf8(entry.child("name").text().get());
            const QString note = QString::fromUtf8(entry.child("note").text().get());
            ASSERT_EQ(note, QString(200, QChar('n')) + "alinedd" + name.mid(7)) << "round " << round;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
    // Temporary files of killed saves may stay behind, but never in place of the history.
    EXPECT_TRUE(QFile::exists(path));
}
