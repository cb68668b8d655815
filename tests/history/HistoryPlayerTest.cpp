// Playback from the history window: real MP3 files written by Kestrel's MP3 writer, played
// through Qt Multimedia with no sound server, with a shortened playback timer.
#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QSlider>

#include <cmath>

#include "audio/Buffer.h"
#include "audio/Mp3File.h"
#include "history/HistoryWindowFixture.h"

using namespace histtest;

namespace {

// Writes `ms` milliseconds of a 440 Hz tone, 16 kHz mono, 32 kbps.
QString MakeMp3(const QString& name, int ms)
{
    const QString dir = testenv::Root() + "/Documents/Morvex";
    QDir().mkpath(dir);
    const QString path = dir + "/" + name + ".mp3";
    CMp3File mp3;
    EXPECT_TRUE(mp3.Open(0, path, 16000, 32));
    int sample = 0;
    for (int block = 0; block < ms / 10; ++block) {
        CBuffer buffer(320);
        for (int i = 0; i < 160; ++i, ++sample)
            buffer.Samples()[i] = static_cast<std::int16_t>(6000 * std::sin(2 * M_PI * 440 * sample / 16000.0));
        EXPECT_TRUE(mp3.Write(buffer));
    }
    EXPECT_TRUE(mp3.Close());
    return path;
}

class HistoryPlayerTest : public HistoryWindowTest {
protected:
    QSlider* Slider(int id) { return static_cast<QSlider*>(window->Control(id)); }
    QAbstractButton* Button(int id) { return static_cast<QAbstractButton*>(window->Control(id)); }
    bool IsNewInFile(const QString& name)
    {
        for (int i = 0; i < store->GetCount(); ++i) {
            CHistoryRecord r;
            if (store->GetRecord(i, r) && r.name == name)
                return r.isNew;
        }
        ADD_FAILURE() << "no entry " << qPrintable(name);
        return false;
    }
};

TEST_F(HistoryPlayerTest, PlayedToTheEndMarksTheRecordAndLowersTheBadge)
{
    Open();
    const QString file = MakeMp3("alice", 1500);
    Add(Rec("alice", Local(2024, 9, 12, 9, 0), true, RecordIncoming, 1, file));
    Add(Rec("bob", Local(2024, 9, 12, 10, 0), true, RecordOutgoing, 1, MakeMp3("bob", 1500)));
    EXPECT_EQ(window->Counters().newCount, 2);
    EXPECT_FALSE(Button(IDC_PLAY)->isEnabled());
    EXPECT_FALSE(Button(IDC_STOP)->isEnabled());

    window->Tree()->setCurrentItem(RowOf("alice"));
    EXPECT_TRUE(Button(IDC_PLAY)->isEnabled());
    window->OnPlay();
    ASSERT_EQ(window->State(), PlaybackPlaying);
    // The length is known before the sound starts.
    EXPECT_NEAR(window->Player().Length(), 1500, 150);
    EXPECT_EQ(Slider(IDC_POSITION)->maximum(), window->Player().Length());
    EXPECT_EQ(window->PlayBitmap(), ui::IDB_PAUSE);
    EXPECT_TRUE(Button(IDC_STOP)->isEnabled());
    // The end is the position reaching that length, never an unknown length of 0; without a
    // sound server the sound may run faster than real time, so only the order is checked.
    int highest = 0;
    QObject::connect(Slider(IDC_POSITION), &QSlider::valueChanged, [&](int v) { highest = qMax(highest, v); });

    ASSERT_TRUE(testenv::WaitUntil([this] { return window->State() == PlaybackStopped; }, 10000));
    EXPECT_EQ(highest, window->Player().Length());
    EXPECT_FALSE(IsNewInFile("alice"));
    EXPECT_TRUE(IsNewInFile("bob"));
    EXPECT_FALSE(RowOf("alice")->Data()->record->isNew);
    EXPECT_EQ(window->Counters().newCount, 1);
    EXPECT_EQ(window->Counters().total, 2);
    EXPECT_EQ(Slider(IDC_POSITION)->value(), 0);
    EXPECT_EQ(window->PlayBitmap(), ui::IDB_PLAY);
    EXPECT_FALSE(Button(IDC_STOP)->isEnabled());
    EXPECT_FALSE(window->PlaybackTimer().isActive());
    // The file is untouched by playing it.
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(HistoryPlayerTest, PauseSeekResumeAndStop)
{
    Open();
    Add(Rec("alice", Local(2024, 9, 12, 9, 0), true, RecordIncoming, 4, MakeMp3("alice", 4000)));
    window->Tree()->setCurrentItem(RowOf("alice"));
    window->OnPlay();
    ASSERT_EQ(window->State(), PlaybackPlaying);
    ASSERT_TRUE(testenv::WaitUntil([this] { return window->Player().Position() > 200; }, 5000));

    window->OnPlay(); // pause
    EXPECT_EQ(window->State(), PlaybackPaused);
    EXPECT_EQ(window->PlayBitmap(), ui::IDB_PLAY);
    EXPECT_TRUE(Button(IDC_STOP)->isEnabled());
    EXPECT_FALSE(window->PlaybackTimer().isActive());
    // The menu now offers Stop.
    QStringList texts;
    window->SetMenuChooser([&](QMenu& menu) {
        for (QAction* a : menu.actions())
            texts << a->text();
        return 0;
    });
    emit window->Tree()->customContextMenuRequested(window->Tree()->RowRect(RowOf("alice")).center());
    ASSERT_TRUE(testenv::WaitUntil([&] { return !texts.isEmpty(); }, 1000));
    EXPECT_EQ(texts.value(0), "Stop");

    // Move the slider while paused: nothing plays until Play, then it goes on from there.
    Slider(IDC_POSITION)->setValue(2500);
    emit Slider(IDC_POSITION)->sliderReleased();
    testenv::Pump(300);
    EXPECT_FALSE(window->Player().IsPlaying());
    EXPECT_NEAR(window->Player().Position(), 2500, 60);
    window->OnPlay(); // resume
    EXPECT_EQ(window->State(), PlaybackPlaying);
    ASSERT_TRUE(testenv::WaitUntil([this] { return window->Player().Position() > 2600; }, 5000));
    EXPECT_GE(window->Player().Position(), 2500);

    // Stop early: back to the start, the record stays new.
    window->OnStop();
    EXPECT_EQ(window->State(), PlaybackStopped);
    EXPECT_FALSE(Button(IDC_STOP)->isEnabled());
    EXPECT_TRUE(Button(IDC_PLAY)->isEnabled());
    testenv::Pump(200);
    EXPECT_FALSE(window->Player().IsPlaying());
    EXPECT_EQ(window->Player().Position(), 0);
    EXPECT_TRUE(IsNewInFile("alice"));
    EXPECT_EQ(window->Counters().newCount, 1);
    // Play again starts from the beginning.
    window->OnPlay();
    EXPECT_EQ(window->State(), PlaybackPlaying);
    EXPECT_LT(window->Player().Position(), 500);
    window->OnStop();
}

TEST_F(HistoryPlayerTest, VolumeSliderAndButtonsByRowKind)
{
    Open();
    Add(Rec("alice", Local(2024, 9, 12, 9, 0), true, RecordIncoming, 3, MakeMp3("alice", 3000)));
    EXPECT_EQ(Slider(IDC_VOLUME)->maximum(), 10);
    EXPECT_EQ(Slider(IDC_VOLUME)->value(), 10);
    EXPECT_EQ(window->Player().Volume(), 1000);
    Slider(IDC_VOLUME)->setValue(3);
    EXPECT_EQ(window->Player().Volume(), 300);
    window->Tree()->setCurrentItem(RowOf("alice"));
    window->OnPlay();
    ASSERT_EQ(window->State(), PlaybackPlaying) << qPrintable(window->Player().ErrorText());
    EXPECT_EQ(window->Player().OutputVolume(), 300);

    // A day row while playing: Play (Pause) is disabled, Stop still works and re-enables Play
    // once a record row is selected again.
    window->Tree()->setCurrentItem(window->Root()->child(0));
    EXPECT_FALSE(Button(IDC_PLAY)->isEnabled());
    EXPECT_TRUE(Button(IDC_STOP)->isEnabled());
    window->OnStop();
    EXPECT_FALSE(Button(IDC_PLAY)->isEnabled());
    window->Tree()->setCurrentItem(RowOf("alice"));
    EXPECT_TRUE(Button(IDC_PLAY)->isEnabled());

    // Play with nothing playable selected: the message, no state change.
    window->Tree()->setCurrentItem(window->Root());
    testenv::MessageBoxRecorder::Instance().Clear();
    window->OnPlay();
    ASSERT_EQ(testenv::MessageBoxRecorder::Instance().Calls().size(), 1u);
    EXPECT_EQ(testenv::MessageBoxRecorder::Instance().Calls()[0].text, "'' file not found!");
    EXPECT_EQ(testenv::MessageBoxRecorder::Instance().Calls()[0].caption, "Kestrel");
    EXPECT_EQ(window->State(), PlaybackStopped);
}

TEST_F(HistoryPlayerTest, DeletedWhilePlayingOrUnplayableIsNeverMarked)
{
    Open();
    Add(Rec("alice", Local(2024, 9, 12, 9, 0), true, RecordIncoming, 1, MakeMp3("alice", 1200)));
    Add(Rec("bob", Local(2024, 9, 12, 10, 0), true, RecordIncoming, 1, MakeMp3("bob", 1200)));
    // A file that is no MP3 at all.
    const QString broken = testenv::Root() + "/Documents/Morvex/broken.mp3";
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4000, 'x'));
    }
    Add(Rec("carol", Local(2024, 9, 12, 11, 0), true, RecordIncoming, 1, broken));

    // Deleting the row being played: the sound goes on to its end, nothing is marked.
    CHistoryTreeItem* alice = RowOf("alice");
    window->Tree()->setCurrentItem(alice);
    window->OnPlay();
    ASSERT_EQ(window->State(), PlaybackPlaying);
    testenv::MessageBoxRecorder::Instance().SetAnswer(IDYES);
    PostMessage(window->Handle(), WM_HISTORY_DELETE, reinterpret_cast<quintptr>(alice),
                static_cast<LPARAM>(reinterpret_cast<quintptr>(alice->Data())));
    ASSERT_TRUE(testenv::WaitUntil([this] { return RowOf("alice") == nullptr; }, 2000));
    EXPECT_EQ(window->PlayingRecord(), nullptr);
    EXPECT_EQ(window->State(), PlaybackPlaying);
    ASSERT_TRUE(testenv::WaitUntil([this] { return window->State() == PlaybackStopped; }, 10000));
    EXPECT_TRUE(IsNewInFile("bob"));
    EXPECT_TRUE(IsNewInFile("carol"));
    EXPECT_EQ(window->Counters().newCount, 2);

    // A file the player cannot open is reported and not marked as played.
    testenv::MessageBoxRecorder::Instance().Clear();
    window->Tree()->setCurrentItem(RowOf("carol"));
    window->OnPlay();
    EXPECT_EQ(window->State(), PlaybackStopped);
    ASSERT_EQ(testenv::MessageBoxRecorder::Instance().Calls().size(), 1u);
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls()[0].text.contains("broken.mp3"));
    testenv::Pump(200);
    EXPECT_TRUE(IsNewInFile("carol"));
    EXPECT_EQ(window->Counters().newCount, 2);
}

} // namespace
