#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <mpg123.h>

#include <arpa/inet.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/AudioCapture.h"
#include "audio/AudioConstants.h"
#include "audio/LevelMeter.h"
#include "audio/Mp3Decode.h"
#include "audio/StreamServer.h"
#include "audio/TcpClient.h"
#include "platform/LastError.h"
#include "platform/MessageWindow.h"
#include "support/TestEnv.h"

using namespace audiotest;

namespace {

constexpr long kDelay = 576 + 529;

QString TempPath(const QString& name) { return testenv::Root() + "/" + name; }

std::vector<std::uint8_t> Bytes(const std::vector<std::int16_t>& pcm)
{
    std::vector<std::uint8_t> out(pcm.size() * 2);
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(pcm[i] & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>((static_cast<std::uint16_t>(pcm[i]) >> 8) & 0xFF);
    }
    return out;
}

std::vector<std::uint8_t> Filled(int n, std::int16_t value) { return Bytes(std::vector<std::int16_t>(n / 2, value)); }

// The main window stand-in: keeps the level messages.
class LevelWindow : public CMessageWindow {
public:
    ~LevelWindow() override { DestroyWindowHandle(); }
    bool OnWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT&) override
    {
        if (msg == WM_LEVEL_OWN)
            own.push_back(static_cast<int>(w));
        else if (msg == WM_LEVEL_REMOTE)
            remote.push_back(static_cast<int>(w));
        else
            return false;
        EXPECT_EQ(l, 0);
        return true;
    }
    std::vector<int> own, remote;
};

class AudioCaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CAudioMixer::SetInstanceTimings(MixerTimings{20, 2});
        capture = std::make_unique<CAudioCapture>(CaptureConfig{0, 0});
        capture->SetRerequestAudioHook([this] { ++rerequests; });
        capture->SetNotifyWindow(window.Handle());
        capture->StartServers();
        ASSERT_TRUE(capture->OwnServerStarted());
        ASSERT_TRUE(capture->RemoteServerStarted());
    }
    void TearDown() override
    {
        capture.reset();
        CAudioMixer::SetInstanceTimings(MixerTimings{});
    }
    // Sends the bytes in writes of the given size, then closes; waits until the server has seen
    // the close (so every byte has been read).
    void Stream(std::uint16_t port, const std::vector<std::uint8_t>& bytes, int writeSize, bool wait = true)
    {
        const int before = rerequests;
        {
            TcpClient c(port);
            ASSERT_TRUE(c.Connected());
            for (std::size_t at = 0; at < bytes.size(); at += writeSize)
                ASSERT_TRUE(c.Send(bytes.data() + at, std::min<std::size_t>(writeSize, bytes.size() - at)));
        }
        if (wait) {
            ASSERT_TRUE(testenv::WaitUntil([&] { return rerequests > before; }));
        }
    }

    LevelWindow window;
    std::unique_ptr<CAudioCapture> capture;
    std::atomic<int> rerequests{0};
};

} // namespace

TEST(LevelMeter, PostsEverySixthReadRisesAtOnceFallsByFour)
{
    CLevelMeter meter;
    const auto loud = Filled(kChunkBytes, -32768);
    const auto silence = Filled(kChunkBytes, 0);
    for (int i = 0; i < kLevelReadsBetweenPosts; ++i)
        EXPECT_EQ(meter.OnRead(loud.data(), kChunkBytes), -1);
    EXPECT_EQ(meter.OnRead(loud.data(), kChunkBytes), kMaxLevel);
    std::vector<int> posted;
    for (int i = 0; i < 6 * 130; ++i) {
        const int level = meter.OnRead(silence.data(), kChunkBytes);
        if (level >= 0)
            posted.push_back(level);
    }
    ASSERT_EQ(posted.size(), 130u);
    for (std::size_t i = 0; i < posted.size(); ++i)
        EXPECT_EQ(posted[i], std::max(kMaxLevel - 4 * int(i + 1), 0)) << i;
    // A louder read lifts the meter at once.
    for (int i = 0; i < kLevelReadsBetweenPosts; ++i)
        meter.OnRead(silence.data(), kChunkBytes);
    const auto mid = Filled(kChunkBytes, 6400);
    EXPECT_EQ(meter.OnRead(mid.data(), kChunkBytes), 100);
}

TEST(LevelMeter, SamplesOneValueInTen)
{
    struct Case {
        int loudSample, n, level;
    };
    for (const Case c : {Case{5, 320, 0}, Case{10, 320, 512}, Case{150, 320, 512}, Case{160, 320, 0},
                         Case{0, 1, 0}, Case{0, 2, 512}, Case{500, 1022, 512}, Case{505, 1022, 0}}) {
        std::vector<std::int16_t> pcm(512, 0);
        pcm[c.loudSample] = -32768;
        const auto bytes = Bytes(pcm);
        EXPECT_EQ(CLevelMeter::Peak(bytes.data(), c.n), c.level) << c.loudSample << " of " << c.n;
    }
}

// Both sides over TCP in writes that cut across blocks: the recording holds the own side left and
// the remote side right, whole, and each side's meter gets its levels.
TEST_F(AudioCaptureTest, RecordsBothSidesFromTheirPorts)
{
    const QString base = TempPath("call");
    ASSERT_TRUE(capture->StartRecording(base, 16000, 128, kModeStereo));
    capture->SetSide(kSideBoth);
    capture->SetRecordingState(RecordingState::Recording);
    constexpr int kBlocks = 300;
    std::thread own([&] { Stream(capture->OwnPort(), Bytes(Tone(440, 10000, kBlocks * kChunkSamples)), 1000, false); });
    Stream(capture->RemotePort(), Bytes(Tone(1000, 5000, kBlocks * kChunkSamples)), 1022, false);
    own.join();
    ASSERT_TRUE(testenv::WaitUntil([&] { return rerequests == 2; }));
    capture->StopRecording();
    EXPECT_EQ(capture->GetRecordingState(), RecordingState::Stopped);

    const DecodedMp3 d = DecodeMp3(base + ".mp3");
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    ASSERT_EQ(d.channels, 2);
    EXPECT_GE(d.SamplesPerChannel(), kDelay + kBlocks * kChunkSamples);
    EXPECT_LT(d.SamplesPerChannel(), kDelay + kBlocks * kChunkSamples + d.frameSamples);
    const long to = kDelay + kBlocks * kChunkSamples - 100;
    EXPECT_NEAR(Rms(d.Channel(0), kDelay + 100, to), 10000 / std::sqrt(2.0), 700);
    EXPECT_NEAR(Rms(d.Channel(1), kDelay + 100, to), 5000 / std::sqrt(2.0), 700);

    testenv::Pump(20);
    ASSERT_FALSE(window.own.empty());
    ASSERT_FALSE(window.remote.empty());
    // One sample in ten of a tone: close to, never above, the tone's peak shifted down by 6.
    const int ownPeak = *std::max_element(window.own.begin(), window.own.end());
    const int remotePeak = *std::max_element(window.remote.begin(), window.remote.end());
    EXPECT_LE(ownPeak, 10000 >> 6);
    EXPECT_GE(ownPeak, (10000 >> 6) * 8 / 10);
    EXPECT_LE(remotePeak, 5000 >> 6);
    EXPECT_GE(remotePeak, (5000 >> 6) * 8 / 10);
}

// Nothing is queued while paused or for a side the recording leaves out, but the meters go on.
TEST_F(AudioCaptureTest, PausedAndUnchosenSidesQueueNothing)
{
    CAudioMixer* mixer = capture->Mixer();
    ASSERT_TRUE(capture->StartRecording(TempPath("paused"), 16000, 32, kModeMono));
    capture->SetSide(kSideBoth);
    // 60 blocks sent a block at a time take at least 19 reads: at least three level updates.
    const auto some = Bytes(Tone(300, 8000, 60 * kChunkSamples));

    // Both sides wanted but only the own side talks: its chunks wait in the queue for partners.
    capture->SetRecordingState(RecordingState::Paused);
    Stream(capture->OwnPort(), some, kChunkBytes);
    EXPECT_EQ(mixer->OwnQueued(), 0u);
    testenv::Pump(20);
    EXPECT_GE(window.own.size(), 3u);
    EXPECT_FALSE(capture->StartRecording(TempPath("ignored"), 16000, 32, kModeMono));
    EXPECT_FALSE(QFileInfo::exists(TempPath("ignored.mp3")));

    capture->SetRecordingState(RecordingState::Resumed);
    Stream(capture->OwnPort(), some, kChunkBytes);
    EXPECT_EQ(mixer->OwnQueued(), 60u);

    // Own side only: the remote server keeps reading and metering, but queues nothing.
    capture->SetSide(kSideOwn);
    Stream(capture->RemotePort(), some, kChunkBytes);
    EXPECT_EQ(mixer->RemoteQueued(), 0u);
    testenv::Pump(20);
    EXPECT_GE(window.remote.size(), 3u);
    capture->StopRecording();

    // A stopped recording queues nothing either.
    Stream(capture->OwnPort(), some, kChunkBytes);
    EXPECT_EQ(mixer->OwnQueued(), 0u);
}

TEST_F(AudioCaptureTest, StartRecordingPaths)
{
    // ".mp3" is always appended; a path that would not fit is refused rather than cut.
    QString folder = TempPath("long");
    while (folder.size() < kMaxRecordingPath - 120)
        folder += "/" + QString(100, u'd');
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fits = folder + "/" + QString(kMaxRecordingPath - 1 - 4 - folder.size() - 1, u'a');
    EXPECT_EQ((fits + ".mp3").size(), kMaxRecordingPath - 1);
    ASSERT_TRUE(capture->StartRecording(fits, 16000, 32, kModeMono)) << fits.size();
    capture->StopRecording();
    EXPECT_TRUE(QFileInfo::exists(fits + ".mp3"));

    SetLastError(0);
    EXPECT_FALSE(capture->StartRecording(fits + "b", 16000, 32, kModeMono));
    EXPECT_EQ(GetLastError(), kErrorPathTooLong);
    EXPECT_FALSE(QFileInfo::exists(fits + "b.mp3"));
    EXPECT_FALSE(capture->Mixer()->IsRunning());

    SetLastError(0);
    EXPECT_FALSE(capture->StartRecording(QString(), 16000, 32, kModeMono));
    EXPECT_EQ(GetLastError(), ERROR_KESTREL_NO_OUTPUT_PATH);
}

// A port held by another program is named in the message box; the other server still starts.
// Restarting a server replaces its receive thread; shutting down mid-recording still leaves a
// finished file.
TEST(AudioCapture, PortInUseRestartAndShutdown)
{
    CAudioMixer::SetInstanceTimings(MixerTimings{20, 2});
    CStreamServer squatter;
    ASSERT_EQ(squatter.Listen(htonl(INADDR_LOOPBACK), 0), 0);
    const std::uint16_t taken = squatter.LocalPort();

    auto& boxes = testenv::MessageBoxRecorder::Instance();
    boxes.Clear();
    CAudioCapture capture(CaptureConfig{taken, 0});
    std::atomic<int> rerequests{0};
    capture.SetRerequestAudioHook([&] { ++rerequests; });
    capture.StartServers();
    EXPECT_FALSE(capture.OwnServerStarted());
    EXPECT_TRUE(capture.RemoteServerStarted());
    EXPECT_FALSE(capture.OwnServer().HasSockets());
    const auto calls = boxes.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, QString("Create socket failed! Please make sure your firewall/anti-virus software does "
                                     "NOT block the port '%1'!")
                                 .arg(taken));
    EXPECT_EQ(calls[0].caption, "Kestrel");
    EXPECT_EQ(calls[0].type & MB_ICONMASK, MB_ICONINFORMATION);
    EXPECT_EQ(calls[0].owner, kNoWindow);
    boxes.Clear();

    // Restart: the old thread is woken and joined, the new server takes clients.
    ASSERT_TRUE(capture.StartRemoteServer());
    EXPECT_TRUE(capture.RemoteThreadRunning());
    {
        TcpClient c(capture.RemotePort());
        ASSERT_TRUE(c.Connected());
        ASSERT_TRUE(testenv::WaitUntil([&] { return capture.RemoteServer().SocketCount() == 2; }));
    }
    ASSERT_TRUE(testenv::WaitUntil([&] { return rerequests == 1; }));

    const QString path = TempPath("shutdown");
    ASSERT_TRUE(capture.StartRecording(path, 44100, 64, kModeJointStereo));
    capture.SetSide(kSideRemote);
    capture.SetRecordingState(RecordingState::Recording);
    {
        TcpClient c(capture.RemotePort());
        ASSERT_TRUE(c.Send(Bytes(Tone(500, 7000, 100 * kChunkSamples))));
    }
    ASSERT_TRUE(testenv::WaitUntil([&] { return rerequests == 2; }));
    capture.Shutdown();
    EXPECT_FALSE(capture.RemoteThreadRunning());
    EXPECT_FALSE(capture.RemoteServer().HasSockets());
    EXPECT_EQ(capture.Mixer(), nullptr);
    const DecodedMp3 d = DecodeMp3(path + ".mp3");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.mode, MPG123_M_JOINT);
    EXPECT_GE(d.SamplesPerChannel(), std::lround(100 * kChunkSamples * 44100.0 / 16000));
    CAudioMixer::SetInstanceTimings(MixerTimings{});
}
