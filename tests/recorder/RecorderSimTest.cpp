// The recording controller end to end with skypesim over the private session bus: the link
// attaches over D-Bus, skypesim streams its two tones to the real audio ports once Kestrel asks
// for the call's audio, and the hang-up leaves an MP3 file and a history entry.
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <memory>

#include "RecorderFixture.h"
#include "audio/AudioCapture.h"
#include "audio/Mp3Decode.h"
#include "history/HistoryStore.h"
#include "platform/Folders.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeLink.h"
#include "support/LinkTimings.h"
#include "support/SkypeSimProcess.h"
#include "support/TestEnv.h"

namespace {

using rectest::FilesIn;

class RecorderSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(testenv::SkypeSimProcess::Executable().isEmpty());
        testenv::UseFastLinkTimings();
        CSkypeLink::SetHookFactory({});

        CAudioMixer::SetInstanceTimings(MixerTimings{20, 2});
        capture = std::make_unique<CAudioCapture>(); // the real ports: skypesim is told them
        capture->StartServers();
        ASSERT_TRUE(capture->OwnServerStarted());
        ASSERT_TRUE(capture->RemoteServerStarted());

        QFile::remove(CHistoryStore::DefaultPath());
        Folders::Ensure(Folders::AppData());
        history.Open(CHistoryStore::DefaultPath());
        profile = CGeneralProfile::Instance();
        profile->Load();
        profile->sfolder = testenv::Root() + "/sim-recordings";
        QDir().mkpath(profile->sfolder);
    }
    void TearDown() override
    {
        controller.reset();
        view.controller = nullptr;
        capture.reset();
        sim.Stop();
        CSkypeLink::Release();
        CSkypeLink::SetTimings(SkypeLinkTimings{});
        CGeneralProfile::Release();
        CAudioMixer::SetInstanceTimings(MixerTimings{});
    }

    testenv::SkypeSimProcess sim;
    rectest::RecordingView view;
    std::unique_ptr<CAudioCapture> capture;
    CHistoryStore history;
    CGeneralProfile* profile = nullptr;
    CSkypeLink* link = nullptr;
    std::unique_ptr<CRecordingController> controller;
};

TEST_F(RecorderSimTest, AnsweredCallIsRecordedWithOwnSideLeftAndRemoteSideRight)
{
    ASSERT_TRUE(sim.Start({"--user", "kestrel.tester", "--own-tone", "440", "--remote-tone", "660"}));
    link = CSkypeLink::Attach(view.Handle());
    controller = std::make_unique<CRecordingController>(
        view, RecorderParts{link, capture.get(), &history, profile}, RecorderTimings{50});
    view.controller = controller.get();
    ASSERT_TRUE(testenv::WaitUntil([&] { return link->CurrentUserHandle() == "kestrel.tester"; }, 10000));

    sim.Write("incoming 41 alice");
    ASSERT_TRUE(testenv::WaitUntil([&] { return link->CallTable().Find("41") >= 0; }));
    sim.Write("notify CALL 41 PARTNER_HANDLE alice");
    ASSERT_TRUE(testenv::WaitUntil([&] { return link->CallTable().PartnerOf("41") == "alice"; }));
    EXPECT_TRUE(controller->IsIdle());

    sim.Write("answer 41");
    ASSERT_TRUE(testenv::WaitUntil([&] { return controller->IsActive(); }));
    EXPECT_EQ(view.statusText, "Recording in progress ...");
    EXPECT_TRUE(view.startStopEnabled);
    ASSERT_GE(sim.WaitForLine("AUDIO connected own", 10000), 0);
    ASSERT_GE(sim.WaitForLine("AUDIO connected remote", 10000), 0);
    // About a second of the call at the client's own pace.
    ASSERT_TRUE(testenv::WaitUntil(
        [&] { return capture->OwnBlocksReceived() >= 100 && capture->RemoteBlocksReceived() >= 100; }, 15000));
    EXPECT_GT(controller->Elapsed(), 0u);

    sim.Write("finish 41");
    ASSERT_TRUE(testenv::WaitUntil([&] { return view.added.size() == 1; }, 10000));
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Stopped);
    EXPECT_EQ(view.statusText, "Ready for recording ...");
    EXPECT_FALSE(view.startStopEnabled);

    const QStringList received = sim.Received();
    EXPECT_TRUE(received.contains("alter call 41 set_capture_mic port=\"38377\""));
    EXPECT_TRUE(received.contains("alter call 41 set_output soundcard=\"default\", port=\"38376\""));

    CHistoryStore reread;
    reread.Open(CHistoryStore::DefaultPath());
    ASSERT_EQ(reread.GetCount(), 1);
    CHistoryRecord h;
    ASSERT_TRUE(reread.GetRecord(0, h));
    EXPECT_EQ(h.name, "alice");
    EXPECT_EQ(h.type, RecordIncoming);
    EXPECT_GE(h.duration, 0);
    EXPECT_LT(h.duration, 60);
    const QString expectedName = "alice_" + CRecordingController::FileTimeStamp(h.time.toLongLong()) + ".mp3";
    EXPECT_TRUE(QRegularExpression("^alice_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.mp3$").match(expectedName).hasMatch());
    EXPECT_EQ(FilesIn(profile->sfolder), QStringList{expectedName});
    EXPECT_EQ(h.file, profile->sfolder + "/" + expectedName);

    // The default settings: 32000 Hz, 64 kbps, stereo, both sides.
    const audiotest::DecodedMp3 mp3 = audiotest::DecodeMp3(h.file);
    ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
    EXPECT_EQ(mp3.rate, 32000);
    EXPECT_EQ(mp3.bitrate, 64);
    EXPECT_EQ(mp3.channels, 2);
    EXPECT_EQ(mp3.mode, 0); // MPG123_M_STEREO
    ASSERT_GT(mp3.SamplesPerChannel(), mp3.rate / 2);
    const auto left = mp3.Channel(0), right = mp3.Channel(1);
    const std::size_t from = mp3.SamplesPerChannel() / 4, to = 3 * mp3.SamplesPerChannel() / 4;
    EXPECT_GT(rectest::TonePower(left, mp3.rate, 440, from, to), 50 * rectest::TonePower(left, mp3.rate, 660, from, to));
    EXPECT_GT(rectest::TonePower(right, mp3.rate, 660, from, to), 50 * rectest::TonePower(right, mp3.rate, 440, from, to));
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls().empty());
}

} // namespace
