// The recording controller against the real link (in-process transport, the test plays the
// client), a real capture object on free ports fed over loopback TCP, the real history store
// and settings record, and a view that records what the controller does to the window.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ctime>
#include <memory>

#include "RecorderFixture.h"
#include "audio/AudioCapture.h"
#include "audio/Mp3Decode.h"
#include "audio/TcpClient.h"
#include "history/HistoryStore.h"
#include "platform/Folders.h"
#include "settings/GeneralProfile.h"
#include "skype/LocalTransport.h"
#include "skype/SkypeLink.h"
#include "support/LinkTimings.h"
#include "support/TestEnv.h"

namespace {

using rectest::FilesIn;
using rectest::RecordingView;

constexpr std::int64_t kStart = 1304521389; // 2011-05-04 15:03:09 UTC

// The local time stamp of a moment, worked out here with the C library.
QString LocalStamp(std::int64_t t)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return QString::asprintf("%04d-%02d-%02d_%02d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                             tm.tm_min, tm.tm_sec);
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testenv::UseFastLinkTimings();
        CSkypeLink::SetHookFactory({});
        CSkypeLink::SetTransportFactory([this] {
            auto tr = std::make_unique<CLocalTransport>();
            transport = tr.get();
            return tr;
        });

        testenv::MessageBoxRecorder::Instance().Clear();
        CAudioMixer::SetInstanceTimings(MixerTimings{20, 2});
        capture = std::make_unique<CAudioCapture>(CaptureConfig{0, 0});
        capture->SetRerequestAudioHook([] {});
        capture->StartServers();
        ASSERT_TRUE(capture->OwnServerStarted());
        ASSERT_TRUE(capture->RemoteServerStarted());

        QFile::remove(CHistoryStore::DefaultPath());
        Folders::Ensure(Folders::AppData());
        history = std::make_unique<CHistoryStore>();
        history->Open(CHistoryStore::DefaultPath());

        profile = CGeneralProfile::Instance();
        profile->Load();
        folder = testenv::Root() + "/rec-" + QString::number(++s_run);
        QDir().mkpath(folder);
        profile->sfolder = folder;

        link = CSkypeLink::Attach(view.Handle());
        ASSERT_NE(transport, nullptr);
        transport->DeliverAttach(AttachSucceeded);

        MakeController(RecorderTimings{60 * 60 * 1000});
    }
    void TearDown() override
    {
        controller.reset();
        view.controller = nullptr;
        capture.reset();
        CSkypeLink::Release();
        CSkypeLink::SetTransportFactory(nullptr);
        CSkypeLink::SetTimings(SkypeLinkTimings{});
        CGeneralProfile::Release();
        CAudioMixer::SetInstanceTimings(MixerTimings{});
    }
    void MakeController(RecorderTimings timings)
    {
        controller.reset();
        controller = std::make_unique<CRecordingController>(
            view, RecorderParts{link, capture.get(), history.get(), profile}, timings);
        controller->SetClock([this] { return now; });
        view.controller = controller.get();
    }
    // Delivers a notification and waits until the call event it posts has been handled.
    void Notify(const QString& text)
    {
        const int before = view.skypeCalls;
        transport->DeliverText(text);
        ASSERT_TRUE(testenv::WaitUntil([&] { return view.skypeCalls > before; })) << text.toStdString();
    }
    void WaitFinished()
    {
        ASSERT_TRUE(testenv::WaitUntil([&] { return !controller->IsFinishPending(); }));
    }
    // Sends n 10 ms blocks of a tone to each side and waits until both servers have read them.
    void SendAudio(int blocks)
    {
        if (!own) {
            own = std::make_unique<audiotest::TcpClient>(capture->OwnPort());
            remote = std::make_unique<audiotest::TcpClient>(capture->RemotePort());
            ASSERT_TRUE(own->Connected() && remote->Connected());
        }
        const auto ownBefore = capture->OwnBlocksReceived();
        const auto remoteBefore = capture->RemoteBlocksReceived();
        const long n = blocks * kChunkSamples;
        ASSERT_TRUE(own->Send(rectest::ToneBytes(440, n, phase)));
        ASSERT_TRUE(remote->Send(rectest::ToneBytes(660, n, phase)));
        phase += n;
        ASSERT_TRUE(testenv::WaitUntil([&] {
            return capture->OwnBlocksReceived() >= ownBefore + blocks &&
                   capture->RemoteBlocksReceived() >= remoteBefore + blocks;
        }));
        testenv::Pump(30); // the blocks just counted are queued right after
    }
    int HistoryCount()
    {
        CHistoryStore reread;
        reread.Open(CHistoryStore::DefaultPath());
        return reread.GetCount();
    }
    CHistoryRecord LastHistoryRecord()
    {
        CHistoryStore reread;
        reread.Open(CHistoryStore::DefaultPath());
        CHistoryRecord r;
        EXPECT_TRUE(reread.GetRecord(reread.GetCount() - 1, r));
        return r;
    }

    static inline int s_run = 0;
    RecordingView view;
    CLocalTransport* transport = nullptr;
    CSkypeLink* link = nullptr;
    std::unique_ptr<CAudioCapture> capture;
    std::unique_ptr<CHistoryStore> history;
    CGeneralProfile* profile = nullptr;
    std::unique_ptr<CRecordingController> controller;
    std::unique_ptr<audiotest::TcpClient> own, remote;
    long phase = 0;
    QString folder;
    std::int64_t now = kStart;
};

// --- Encoder settings and naming rules -----------------------------------------------------

TEST(RecorderTables, EncoderSettingsByIndex)
{
    struct Row {
        int index;
        std::uint32_t rate, kbps;
        int mode;
    };
    const Row rows[] = {{-1, 0, 0, 0},       {0, 16000, 32, 0}, {1, 32000, 64, 1}, {2, 44100, 96, 2},
                        {3, 48000, 128, 0}, {4, 0, 192, 0},    {5, 0, 256, 0},    {6, 0, 0, 0}, {1000, 0, 0, 0}};
    for (const Row& r : rows) {
        EXPECT_EQ(CRecordingController::SampleRateForIndex(r.index), r.rate) << r.index;
        EXPECT_EQ(CRecordingController::BitRateForIndex(r.index), r.kbps) << r.index;
        EXPECT_EQ(CRecordingController::ModeForIndex(r.index), r.mode) << r.index;
    }
}

TEST(RecorderTables, NamesAndFileNames)
{
    struct Row {
        QString partner, recordingName, filePart;
    };
    const Row rows[] = {
        {"alice", "alice", "alice"},
        {"+4930123", "+4930123", "+4930123"},
        {"undisclosed_pstn:+4930555", "undisclosed_pstn", "undisclosed_pstn"},
        {"x undisclosed_pstn:", "undisclosed_pstn", "undisclosed_pstn"},
        {"undisclosed_pstn", "undisclosed_pstn", "undisclosed_pstn"}, // no colon: kept as it is
        {"../../etc/cron.d/x", "../../etc/cron.d/x", ".._.._etc_cron.d_x"},
        {"a\\b", "a\\b", "a_b"},
        {QString("a") + QChar(0) + "b", QString("a") + QChar(0) + "b", "a_b"},
        {"bob:ünï cødé*?", "bob:ünï cødé*?", "bob:ünï cødé*?"},
    };
    for (const Row& r : rows) {
        const QString name = CRecordingController::RecordingName(r.partner);
        EXPECT_EQ(name, r.recordingName) << r.partner.toStdString();
        EXPECT_EQ(CRecordingController::FileNamePart(name), r.filePart) << r.partner.toStdString();
    }
    EXPECT_EQ(CRecordingController::BasePath("/rec", "a/b", kStart), "/rec/a_b_" + LocalStamp(kStart));
}

TEST(RecorderTables, CallIdsOfARecording)
{
    CCurrentRecording rec;
    rec.AddCall("41");
    rec.AddCall("42");
    rec.AddCall("41");
    rec.AddCall("Ab");
    rec.AddCall("aB");
    EXPECT_EQ(rec.callIds, "41,42,Ab");
    // A plain text search: part of an id matches.
    EXPECT_TRUE(rec.CallIdsContain("1,4"));
    EXPECT_TRUE(rec.CallIdsContain("2"));
    EXPECT_FALSE(rec.CallIdsContain("43"));
    rec.Begin(RecordIncoming, "alice", 1000, "/f.mp3");
    const CHistoryRecord h = rec.End(1120);
    EXPECT_EQ(h.duration, 120);
    EXPECT_EQ(h.time, "1000");
    EXPECT_EQ(h.name, "alice");
    EXPECT_EQ(h.file, "/f.mp3");
    EXPECT_TRUE(h.isNew);
    EXPECT_TRUE(h.note.isEmpty());
}

// --- A whole recording, per encoder setting ------------------------------------------------

struct EncoderRow {
    int asample, abitrate, amode, recside;
    const char* typeWord;
    int expectedType;
    long rate;
    int kbps;
    int channels;
    int mpgMode; // mpg123_mode
};

class EncoderTest : public ControllerTest, public ::testing::WithParamInterface<EncoderRow> {};

TEST_P(EncoderTest, InProgressRecordsTheCallAndHangUpWritesTheEntry)
{
    const EncoderRow p = GetParam();
    profile->asample = p.asample;
    profile->abitrate = p.abitrate;
    profile->amode = p.amode;
    profile->recside = p.recside;

    Notify("CALL 41 PARTNER_HANDLE alice");
    Notify("CALL 41 STATUS RINGING");
    transport->DeliverText(QString("CALL 41 TYPE ") + p.typeWord);
    view.Take();
    Notify("CALL 41 STATUS INPROGRESS");

    const QString base = "alice_" + LocalStamp(kStart);
    EXPECT_EQ(view.Take(), (QStringList{"front", "status Recording in progress ... red", "stop-look", "pause-look",
                                        "enable 1001 1"}));
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Recording);
    EXPECT_EQ(capture->Side(), p.recside);
    EXPECT_EQ(controller->State(), UiRecording);
    EXPECT_TRUE(controller->ElapsedTimerRunning());
    EXPECT_EQ(controller->Current().callIds, "41");
    EXPECT_EQ(controller->Current().file, folder + "/" + base + ".mp3");
    EXPECT_EQ(FilesIn(folder), QStringList{base + ".mp3"});

    SendAudio(100);
    now = kStart + 75;
    Notify("CALL 41 STATUS FINISHED");
    WaitFinished();
    // The stop, then the call state reset, and the file finished after the stop handler.
    EXPECT_EQ(view.Take(), (QStringList{"front", "history-window", "start-look", "pause-look", "meters 0",
                                        "status Ready for recording ... black", "elapsed 0 1", "enable 1001 0",
                                        "history-add"}));
    EXPECT_EQ(link->CallTable().CountWithStatus(), 0);
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Stopped);
    EXPECT_TRUE(controller->Current().callIds.isEmpty());

    const CHistoryRecord h = LastHistoryRecord();
    EXPECT_EQ(HistoryCount(), 1);
    EXPECT_EQ(h.type, p.expectedType);
    EXPECT_EQ(h.duration, 75);
    EXPECT_EQ(h.name, "alice");
    EXPECT_EQ(h.time, QString::number(kStart));
    EXPECT_EQ(h.file, folder + "/" + base + ".mp3");
    EXPECT_TRUE(h.isNew);
    ASSERT_EQ(view.added.size(), 1u);
    EXPECT_EQ(view.added[0].name, "alice");

    const audiotest::DecodedMp3 mp3 = audiotest::DecodeMp3(h.file);
    ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
    EXPECT_EQ(mp3.rate, p.rate);
    EXPECT_EQ(mp3.bitrate, p.kbps);
    EXPECT_EQ(mp3.channels, p.channels);
    EXPECT_EQ(mp3.mode, p.mpgMode);
    // One second of each side went in.
    EXPECT_NEAR(double(mp3.SamplesPerChannel()) / double(mp3.rate), 1.0, 0.15);
    const std::size_t from = mp3.SamplesPerChannel() / 4, to = 3 * mp3.SamplesPerChannel() / 4;
    if (p.channels == 2 && p.recside == kSideBoth) {
        const auto left = mp3.Channel(0), right = mp3.Channel(1);
        EXPECT_GT(rectest::TonePower(left, mp3.rate, 440, from, to), 50 * rectest::TonePower(left, mp3.rate, 660, from, to));
        EXPECT_GT(rectest::TonePower(right, mp3.rate, 660, from, to), 50 * rectest::TonePower(right, mp3.rate, 440, from, to));
    } else if (p.channels == 1) {
        const auto mono = mp3.Channel(0);
        const double p440 = rectest::TonePower(mono, mp3.rate, 440, from, to);
        const double p660 = rectest::TonePower(mono, mp3.rate, 660, from, to);
        if (p.recside == kSideBoth) {
            EXPECT_GT(p440, 0.2 * p660);
            EXPECT_GT(p660, 0.2 * p440);
        } else if (p.recside == kSideRemote) {
            EXPECT_GT(p660, 50 * p440);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, EncoderTest,
                         ::testing::Values(
                             // 32000 Hz, 64 kbps, stereo: own side left, remote right
                             EncoderRow{1, 1, 1, kSideBoth, "INCOMING_P2P", RecordIncoming, 32000, 64, 2, 0 /*STEREO*/},
                             // 44100 Hz, 96 kbps, joint stereo
                             EncoderRow{2, 2, 2, kSideBoth, "OUTGOING_P2P", RecordOutgoing, 44100, 96, 2, 1 /*JOINT*/},
                             // 16000 Hz, 32 kbps, mono, both sides added
                             EncoderRow{0, 0, 0, kSideBoth, "INCOMING_PSTN", RecordIncoming, 16000, 32, 1, 3 /*MONO*/},
                             // 48000 Hz, 128 kbps, index 3 of amode is mono; the remote side only
                             EncoderRow{3, 3, 3, kSideRemote, "OUTGOING_PSTN", RecordOutgoing, 48000, 128, 1, 3}));

// --- Pause and resume ----------------------------------------------------------------------

TEST_F(ControllerTest, PauseStopsTheCounterAndTheAudioButTheDurationCountsThePause)
{
    MakeController(RecorderTimings{15});
    Notify("CALL 41 PARTNER_HANDLE alice");
    Notify("CALL 41 STATUS INPROGRESS");
    SendAudio(50);
    ASSERT_TRUE(testenv::WaitUntil([&] { return controller->Elapsed() >= 3; }));

    view.Take();
    controller->OnPauseResume();
    EXPECT_EQ(view.Take(), (QStringList{"resume-look", "status Recording pause ... red"}));
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Paused);
    EXPECT_EQ(controller->State(), UiPaused);
    EXPECT_FALSE(controller->ElapsedTimerRunning());
    const std::uint64_t paused = controller->Elapsed();
    SendAudio(50); // dropped: the recording is paused
    testenv::Pump(100);
    EXPECT_EQ(controller->Elapsed(), paused);
    EXPECT_EQ(view.lastElapsed, paused);

    controller->OnPauseResume();
    EXPECT_EQ(view.Take(), (QStringList{"pause-look", "status Recording in progress ... red"}));
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Resumed);
    EXPECT_EQ(controller->State(), UiRecording);
    ASSERT_TRUE(testenv::WaitUntil([&] { return controller->Elapsed() > paused; }));
    SendAudio(50);
    // Pausing again from Resumed works the same way.
    controller->OnPauseResume();
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Paused);

    now = kStart + 120;
    Notify("CALL 41 STATUS FINISHED");
    EXPECT_EQ(controller->Elapsed(), 0u);
    EXPECT_EQ(view.lastState, UiReady);
    WaitFinished();
    EXPECT_EQ(LastHistoryRecord().duration, 120);

    const audiotest::DecodedMp3 mp3 = audiotest::DecodeMp3(controller->Current().file);
    ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
    // 0.5 s before the pause and 0.5 s after it; the 0.5 s sent while paused is not in the file.
    EXPECT_NEAR(double(mp3.SamplesPerChannel()) / double(mp3.rate), 1.0, 0.15);

    // Pause and resume do nothing once stopped.
    view.Take();
    controller->OnPauseResume();
    EXPECT_TRUE(view.Take().isEmpty());
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Stopped);
}

// --- Several calls -------------------------------------------------------------------------

TEST_F(ControllerTest, OverlappingCallsMakeOneRecordingNamedAfterBothPartners)
{
    profile->notifyfinish = false;
    profile->notifyhistory = false;
    Notify("CALL 41 PARTNER_HANDLE a");
    Notify("CALL 42 PARTNER_HANDLE b");
    Notify("CALL 41 STATUS INPROGRESS");
    now += 10;
    Notify("CALL 42 STATUS INPROGRESS");
    Notify("CALL 42 STATUS ONHOLD");
    Notify("CALL 42 STATUS INPROGRESS");
    EXPECT_EQ(controller->Current().callIds, "41,42");
    EXPECT_EQ(view.log.count("front"), 1); // only the first call brought the window forward
    EXPECT_EQ(view.log.count("stop-look"), 1);

    // The first call ends while the second goes on: the recording goes on.
    Notify("CALL 41 STATUS FINISHED");
    EXPECT_TRUE(controller->IsActive());
    EXPECT_TRUE(view.startStopEnabled);
    now = kStart + 300;
    Notify("CALL 42 STATUS FINISHED");
    WaitFinished();
    EXPECT_FALSE(view.log.contains("front", Qt::CaseSensitive) && view.log.count("front") > 1);
    EXPECT_FALSE(view.log.contains("history-window"));
    EXPECT_FALSE(view.startStopEnabled);

    EXPECT_EQ(HistoryCount(), 1);
    const CHistoryRecord h = LastHistoryRecord();
    EXPECT_EQ(h.name, "a,b");
    EXPECT_EQ(h.duration, 300);
    EXPECT_EQ(FilesIn(folder), QStringList{"a_" + LocalStamp(kStart) + ".mp3"});
}

TEST_F(ControllerTest, EndingCallStopsTheRecordingWhenItsIdIsPartOfTheRecordingsIds)
{
    Notify("CALL 12 STATUS RINGING");
    Notify("CALL 13 STATUS RINGING");
    Notify("CALL 112 STATUS INPROGRESS");
    ASSERT_TRUE(controller->IsActive());
    EXPECT_EQ(controller->Current().callIds, "112");
    // A call that is not part of the recording ends: nothing happens to the recording.
    Notify("CALL 13 STATUS MISSED");
    EXPECT_TRUE(controller->IsActive());
    // The recorded call leaves the active states without ending (nothing happens)...
    Notify("CALL 112 STATUS ROUTING");
    EXPECT_TRUE(controller->IsActive());
    // ... and call 12 ends: "12" is found inside "112" and no call is active, so it stops.
    Notify("CALL 12 STATUS REFUSED");
    WaitFinished();
    EXPECT_EQ(view.finishMessages, 1);
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Stopped);
    EXPECT_EQ(LastHistoryRecord().name, "112");
}

// --- Manual mode, stray inputs ---------------------------------------------------------------

TEST_F(ControllerTest, ManualModeStartsOnlyOnTheButton)
{
    profile->rectype = false;
    profile->notifycov = false;
    // No call: the button does nothing.
    controller->OnStartStop();
    controller->OnPauseResume();
    EXPECT_TRUE(view.Take().isEmpty());
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Idle);
    // No slot, or an event about a partner: nothing.
    controller->OnSkypeCall(static_cast<WPARAM>(-1), kCallStatusRecorded);
    controller->OnSkypeCall(0, kCallPartnerRecorded);
    EXPECT_TRUE(view.Take().isEmpty());

    Notify("CALL 41 STATUS INPROGRESS");
    EXPECT_EQ(view.Take(), QStringList{"enable 1001 1"});
    EXPECT_TRUE(controller->IsIdle());
    EXPECT_TRUE(FilesIn(folder).isEmpty());

    controller->OnStartStop();
    EXPECT_TRUE(controller->IsActive());
    // No partner known yet: the file and the entry are named after the call id.
    EXPECT_EQ(FilesIn(folder), QStringList{"41_" + LocalStamp(kStart) + ".mp3"});

    // A double press of Stop, and a stray finish message, finish the recording once.
    now += 5;
    controller->OnStartStop();
    controller->OnStartStop();
    controller->OnPauseResume();
    EXPECT_EQ(view.log.count("start-look"), 1);
    WaitFinished();
    testenv::Pump(50);
    EXPECT_EQ(view.finishMessages, 1);
    PostMessage(view.Handle(), WM_RECORDING_FINISH, 0, 0);
    testenv::Pump(50);
    EXPECT_EQ(view.added.size(), 1u);
    EXPECT_EQ(HistoryCount(), 1);
    EXPECT_EQ(LastHistoryRecord().name, "41");
    EXPECT_EQ(LastHistoryRecord().duration, 5);

    // The call is still in progress: the button starts a new recording on it.
    now += 60;
    controller->OnStartStop();
    EXPECT_TRUE(controller->IsActive());
    EXPECT_EQ(FilesIn(folder).size(), 2);
}

// --- Names that need care --------------------------------------------------------------------

struct NameRow {
    const char* partner;
    const char* fileBase; // before "_<time stamp>.mp3"
    const char* historyName;
};

class NameTest : public ControllerTest, public ::testing::WithParamInterface<NameRow> {};

TEST_P(NameTest, FileLandsInTheRecordingFolder)
{
    const NameRow p = GetParam();
    Notify(QString("CALL 77 PARTNER_HANDLE ") + p.partner);
    Notify("CALL 77 STATUS INPROGRESS");
    ASSERT_TRUE(controller->IsActive());
    Notify("CALL 77 STATUS FINISHED");
    WaitFinished();
    EXPECT_EQ(FilesIn(folder), QStringList{QString(p.fileBase) + "_" + LocalStamp(kStart) + ".mp3"});
    EXPECT_EQ(LastHistoryRecord().name, p.historyName);
    EXPECT_EQ(QFileInfo(LastHistoryRecord().file).absolutePath(), QFileInfo(folder).absoluteFilePath());
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Partners, NameTest,
                         ::testing::Values(NameRow{"undisclosed_pstn:+4930555", "undisclosed_pstn",
                                                   "undisclosed_pstn:+4930555"},
                                           NameRow{"../../escape", ".._.._escape", "../../escape"},
                                           NameRow{"a\\b/c", "a_b_c", "a\\b/c"},
                                           NameRow{"+4930123", "+4930123", "+4930123"}));

// --- Program exit ----------------------------------------------------------------------------

TEST_F(ControllerTest, ExitWhileRecordingWritesNoEntry)
{
    Notify("CALL 41 PARTNER_HANDLE alice");
    Notify("CALL 41 STATUS INPROGRESS");
    SendAudio(30);
    const QString file = controller->Current().file;
    // The main window's end: the controller goes, then the audio pipeline is shut down.
    controller.reset();
    view.controller = nullptr;
    capture->Shutdown();
    testenv::Pump(50);
    EXPECT_TRUE(view.added.empty());
    EXPECT_EQ(HistoryCount(), 0);
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(ControllerTest, ExitAfterStopBeforeTheFinishMessageWritesNoEntry)
{
    Notify("CALL 41 STATUS INPROGRESS");
    controller->OnStartStop(); // finish message posted, not yet handled
    controller.reset();
    view.controller = nullptr;
    capture->Shutdown();
    testenv::Pump(50);
    EXPECT_EQ(view.finishMessages, 1);
    EXPECT_TRUE(view.added.empty());
    EXPECT_EQ(HistoryCount(), 0);
}

} // namespace
