#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "audio/AudioConstants.h"
#include "audio/AudioMixer.h"
#include "audio/Mp3Decode.h"
#include "platform/LastError.h"
#include "platform/MessageWindow.h"
#include "support/TestEnv.h"

using namespace audiotest;

namespace {

constexpr MixerTimings kFast{20, 2};
constexpr long kDelay = 576 + 529; // LAME's encoder delay plus the decoder's, at 16000 Hz out
constexpr double kOwnAmp = 10000, kRemoteAmp = 5000;

QString TempPath(const QString& name) { return testenv::Root() + "/" + name; }

// Pushes n consecutive chunks of a continuous tone.
void PushTone(CAudioMixer& mixer, bool own, double hz, double amp, int n, int firstChunk = 0)
{
    for (int i = 0; i < n; ++i) {
        auto pcm = Tone(hz, amp, kChunkSamples, long(firstChunk + i) * kChunkSamples);
        CBuffer chunk(reinterpret_cast<std::uint8_t*>(pcm.data()), kChunkBytes);
        ASSERT_TRUE(own ? mixer.PushOwnChunk(chunk) : mixer.PushRemoteChunk(chunk));
    }
}

// RMS of channel c over chunks [from, to) of the decoded file, leaving the edges out.
double ChunkRms(const DecodedMp3& d, int c, int from, int to)
{
    const auto ch = d.Channel(c);
    return Rms(ch, kDelay + from * kChunkSamples + 100, kDelay + to * kChunkSamples - 100);
}

double Amp(double a) { return a / std::sqrt(2.0); }

} // namespace

TEST(AudioMixer, CombinesPairsAndLoneChunks)
{
    struct Case {
        std::int16_t own, remote, mono;
    };
    // Mono adds in 32 bits and clamps, without averaging.
    for (const Case c : {Case{30000, 10000, 32767}, Case{-30000, -10000, -32768}, Case{1000, -300, 700},
                         Case{32767, 1, 32767}, Case{-32768, -1, -32768}, Case{0, 0, 0}}) {
        std::vector<std::int16_t> own(kChunkSamples, c.own), remote(kChunkSamples, c.remote);
        own[5] = 0; // per-sample, not per-chunk
        std::vector<std::int16_t> out(2 * kChunkSamples, 99);
        CAudioMixer::MixPair(own.data(), remote.data(), false, out.data());
        EXPECT_EQ(out[0], c.mono) << c.own << " + " << c.remote;
        EXPECT_EQ(out[kChunkSamples - 1], c.mono);
        EXPECT_EQ(out[5], c.remote);
        EXPECT_EQ(out[kChunkSamples], 99) << "mono writes one chunk only";
    }

    std::vector<std::int16_t> own(kChunkSamples), remote(kChunkSamples), out(2 * kChunkSamples);
    for (int k = 0; k < kChunkSamples; ++k) {
        own[k] = static_cast<std::int16_t>(k);
        remote[k] = static_cast<std::int16_t>(-k - 1);
    }
    CAudioMixer::MixPair(own.data(), remote.data(), true, out.data());
    for (int k = 0; k < kChunkSamples; ++k) {
        ASSERT_EQ(out[2 * k], own[k]);
        ASSERT_EQ(out[2 * k + 1], remote[k]);
    }
    CAudioMixer::MixLone(own.data(), true, out.data());
    for (int k = 0; k < kChunkSamples; ++k) {
        ASSERT_EQ(out[2 * k], 0);
        ASSERT_EQ(out[2 * k + 1], own[k]);
    }
    std::vector<std::int16_t> mono(kChunkSamples, 7);
    CAudioMixer::MixLone(remote.data(), false, mono.data());
    EXPECT_EQ(mono, remote);
}

TEST(AudioMixer, RefusesWrongSizesAndDropsWhileIdle)
{
    CAudioMixer mixer(kFast, 8);
    std::vector<std::uint8_t> bytes(1024);
    for (int size : {0, 319, 321, 640}) {
        CBuffer b(bytes.data(), size);
        EXPECT_FALSE(mixer.PushOwnChunk(b)) << size;
        EXPECT_FALSE(mixer.PushRemoteChunk(b)) << size;
    }
    CBuffer chunk(bytes.data(), kChunkBytes);
    EXPECT_TRUE(mixer.PushOwnChunk(chunk));
    EXPECT_EQ(mixer.OwnQueued(), 0u);
    mixer.Stop(); // idle: nothing happens
    EXPECT_FALSE(mixer.IsRunning());

    SetLastError(0);
    EXPECT_FALSE(mixer.Start(QString(), kModeStereo, 16000, 64));
    EXPECT_EQ(GetLastError(), ERROR_KESTREL_NO_OUTPUT_PATH);
    testenv::MessageBoxRecorder::Instance().Clear();
    EXPECT_FALSE(mixer.Start(TempPath("missing/folder.mp3"), kModeStereo, 16000, 64));
    EXPECT_EQ(testenv::MessageBoxRecorder::Instance().Calls().size(), 1u);
    testenv::MessageBoxRecorder::Instance().Clear();
    EXPECT_FALSE(mixer.IsRunning());
    EXPECT_FALSE(mixer.IsThreadRunning());
    EXPECT_TRUE(mixer.PushRemoteChunk(chunk));
    EXPECT_EQ(mixer.RemoteQueued(), 0u);

    // A second Start while recording is refused; the running recording is untouched.
    ASSERT_TRUE(mixer.Start(TempPath("refuse-second.mp3"), kModeMono, 16000, 32));
    EXPECT_FALSE(mixer.Start(TempPath("second.mp3"), kModeMono, 16000, 32));
    EXPECT_FALSE(QFileInfo::exists(TempPath("second.mp3")));
    mixer.Stop();
    EXPECT_FALSE(mixer.IsThreadRunning());
}

// Both sides in stereo: own left, remote right, in pairs; at stop the own side's surplus follows
// alone on the right with a silent left.
TEST(AudioMixer, StereoPairsThenSurplusOnTheRight)
{
    const QString path = TempPath("stereo-both.mp3");
    CAudioMixer mixer(kFast);
    ASSERT_TRUE(mixer.Start(path, kModeStereo, 16000, 128));
    mixer.SetSide(kSideBoth);
    PushTone(mixer, true, 440, kOwnAmp, 150);
    PushTone(mixer, false, 1000, kRemoteAmp, 100);
    mixer.Stop();
    EXPECT_FALSE(mixer.IsThreadRunning());
    EXPECT_TRUE(mixer.Mp3File().IsClosed());
    EXPECT_EQ(mixer.OwnQueued() + mixer.RemoteQueued(), 0u);

    const DecodedMp3 d = DecodeMp3(path);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.channels, 2);
    EXPECT_GE(d.SamplesPerChannel(), kDelay + 150 * kChunkSamples);
    EXPECT_LT(d.SamplesPerChannel(), kDelay + 150 * kChunkSamples + d.frameSamples);
    EXPECT_NEAR(ChunkRms(d, 0, 0, 100), Amp(kOwnAmp), 800);
    EXPECT_NEAR(ChunkRms(d, 1, 0, 100), Amp(kRemoteAmp), 800);
    EXPECT_LT(ChunkRms(d, 0, 101, 150), 200);
    EXPECT_NEAR(ChunkRms(d, 1, 101, 150), Amp(kOwnAmp), 800);
}

// One side only: the chosen side is heard on the right, the left stays silent, and chunks of
// the other side play no part. Mono both-sides adds the two.
TEST(AudioMixer, SideSelection)
{
    struct Case {
        int side;
        int mode;
        double left, right; // expected RMS (mono: left only)
    };
    const Case cases[] = {
        {kSideOwn, kModeStereo, 0, Amp(kOwnAmp)},
        {kSideRemote, kModeJointStereo, 0, Amp(kRemoteAmp)},
        {kSideOwn, kModeMono, Amp(kOwnAmp), -1},
        {7, kModeMono, Amp(kRemoteAmp), -1}, // any other side value: remote only
        {kSideBoth, kModeMono, std::sqrt(Amp(kOwnAmp) * Amp(kOwnAmp) + Amp(kRemoteAmp) * Amp(kRemoteAmp)), -1},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const QString path = TempPath(QString("side-%1.mp3").arg(n++));
        CAudioMixer mixer(kFast, 16);
        ASSERT_TRUE(mixer.Start(path, c.mode, 16000, 128));
        mixer.SetSide(c.side);
        PushTone(mixer, true, 440, kOwnAmp, 60);
        PushTone(mixer, false, 1000, kRemoteAmp, 60);
        mixer.Stop();
        const DecodedMp3 d = DecodeMp3(path);
        ASSERT_TRUE(d.ok);
        EXPECT_GE(d.SamplesPerChannel(), kDelay + 60 * kChunkSamples);
        EXPECT_LT(d.SamplesPerChannel(), kDelay + 60 * kChunkSamples + d.frameSamples);
        EXPECT_NEAR(ChunkRms(d, 0, 0, 60), c.left, 800);
        if (c.right >= 0) {
            EXPECT_NEAR(ChunkRms(d, 1, 0, 60), c.right, 800);
        }
    }
}

// Both sides with no remote audio: nothing is written while recording, the own side's pool grows
// past its 1024 buffers without losing a chunk, and at stop every chunk goes out alone.
TEST(AudioMixer, OneSideOnlyWaitsThenDrainsAndPoolGrows)
{
    const QString path = TempPath("no-remote.mp3");
    constexpr int kChunks = 1500;
    CAudioMixer mixer(kFast);
    EXPECT_EQ(mixer.OwnPool().Count(), kPoolInitialBuffers);
    ASSERT_TRUE(mixer.Start(path, kModeStereo, 16000, 64));
    mixer.SetSide(kSideBoth);
    PushTone(mixer, true, 440, kOwnAmp, kChunks);
    EXPECT_EQ(mixer.OwnQueued(), std::size_t(kChunks));
    EXPECT_GE(mixer.OwnPool().Count(), std::size_t(kChunks));
    testenv::Pump(3 * kFast.idleSleepMs);
    EXPECT_EQ(mixer.OwnQueued(), std::size_t(kChunks));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    mixer.Stop();
    EXPECT_EQ(mixer.OwnPool().FreeCount(), mixer.OwnPool().Count());

    const DecodedMp3 d = DecodeMp3(path);
    ASSERT_TRUE(d.ok);
    EXPECT_GE(d.SamplesPerChannel(), kDelay + kChunks * kChunkSamples);
    EXPECT_LT(d.SamplesPerChannel(), kDelay + kChunks * kChunkSamples + d.frameSamples);
    EXPECT_LT(ChunkRms(d, 0, 0, kChunks), 200);
    EXPECT_NEAR(ChunkRms(d, 1, 0, kChunks), Amp(kOwnAmp), 800);
}

// Abort ends the thread at once (with the real sleeps it is well inside the 300 ms sleep it may
// be in); what is queued is not written, and the file is still finished properly.
TEST(AudioMixer, AbortEndsPromptlyAndTheFileIsClosed)
{
    const QString path = TempPath("abort.mp3");
    auto mixer = std::make_unique<CAudioMixer>();
    ASSERT_TRUE(mixer->Start(path, kModeMono, 16000, 32));
    mixer->SetSide(kSideBoth);
    PushTone(*mixer, true, 440, kOwnAmp, 100);
    PushTone(*mixer, false, 1000, kRemoteAmp, 100);
    ASSERT_TRUE(testenv::WaitUntil([&] { return mixer->OwnQueued() == 0; }, 5000));
    PushTone(*mixer, true, 440, kOwnAmp, 50, 100); // no partner: waits in the queue
    testenv::Pump(50);                               // the thread is in its long sleep now
    mixer->Abort();
    EXPECT_TRUE(mixer->WaitThreadEnd(kMixerIdleSleepMs + 2 * kMixerEmptyRecheckMs + 20));
    EXPECT_FALSE(mixer->Mp3File().IsClosed());
    mixer.reset();

    const DecodedMp3 d = DecodeMp3(path);
    ASSERT_TRUE(d.ok);
    EXPECT_GE(d.SamplesPerChannel(), kDelay + 100 * kChunkSamples);
    EXPECT_LT(d.SamplesPerChannel(), kDelay + 100 * kChunkSamples + d.frameSamples);
}

// Pushes from two threads while the mixer thread works lose nothing; the next recording starts
// clean.
TEST(AudioMixer, ConcurrentPushesLoseNothing)
{
    constexpr int kChunks = 2000;
    CAudioMixer mixer(kFast, 64);
    for (int round = 0; round < 2; ++round) {
        const QString path = TempPath(QString("concurrent-%1.mp3").arg(round));
        ASSERT_TRUE(mixer.Start(path, kModeStereo, 16000, 64));
        mixer.SetSide(kSideBoth);
        std::thread own([&] { PushTone(mixer, true, 440, kOwnAmp, kChunks); });
        std::thread remote([&] { PushTone(mixer, false, 1000, kRemoteAmp, kChunks); });
        own.join();
        remote.join();
        mixer.Stop();
        const DecodedMp3 d = DecodeMp3(path);
        ASSERT_TRUE(d.ok);
        EXPECT_GE(d.SamplesPerChannel(), kDelay + kChunks * kChunkSamples);
        EXPECT_LT(d.SamplesPerChannel(), kDelay + kChunks * kChunkSamples + d.frameSamples);
        EXPECT_NEAR(ChunkRms(d, 0, 0, kChunks), Amp(kOwnAmp), 800);
        EXPECT_NEAR(ChunkRms(d, 1, 0, kChunks), Amp(kRemoteAmp), 800);
    }
}

namespace {
// Handles one posted message by trying to start another recording.
class StartingWindow : public CMessageWindow {
public:
    explicit StartingWindow(CAudioMixer& mixer) : m_mixer(mixer) {}
    ~StartingWindow() override { DestroyWindowHandle(); }
    bool OnWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override
    {
        if (msg != WM_USER + 7)
            return false;
        handled = true;
        started = m_mixer.Start(TempPath("during-stop.mp3"), kModeMono, 16000, 32);
        return true;
    }
    bool handled = false;
    bool started = true;

private:
    CAudioMixer& m_mixer;
};
} // namespace

// Stop keeps the user-interface thread's events flowing while the queues drain; a handler that
// tries to start a recording meanwhile is refused instead of taking over the mixer.
TEST(AudioMixer, StopRunsEventsAndRefusesAStartMeanwhile)
{
    CAudioMixer mixer(kFast, 4096);
    StartingWindow window(mixer);
    const QString path = TempPath("long-drain.mp3");
    ASSERT_TRUE(mixer.Start(path, kModeJointStereo, 48000, 256));
    mixer.SetSide(kSideBoth);
    PushTone(mixer, true, 440, kOwnAmp, 4000);
    PushTone(mixer, false, 1000, kRemoteAmp, 4000);
    ASSERT_TRUE(PostMessage(window.Handle(), WM_USER + 7, 0, 0));
    mixer.Stop();
    EXPECT_TRUE(window.handled);
    EXPECT_FALSE(window.started);
    EXPECT_FALSE(QFileInfo::exists(TempPath("during-stop.mp3")));
    EXPECT_FALSE(mixer.IsThreadRunning());
    const DecodedMp3 d = DecodeMp3(path);
    ASSERT_TRUE(d.ok);
    EXPECT_GE(d.SamplesPerChannel(), 4000L * kChunkSamples * 3);
}
