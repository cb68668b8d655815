#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <mpg123.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/AudioConstants.h"
#include "audio/Mp3File.h"
#include "audio/Mp3Decode.h"
#include "platform/LastError.h"
#include "support/TestEnv.h"

using namespace audiotest;

namespace {

QString TempPath(const QString& name) { return testenv::Root() + "/" + name; }

// Feeds samples (interleaved when channels == 2) in 10 ms chunks, as the mixer does.
void WriteInChunks(CMp3File& file, const std::vector<std::int16_t>& pcm, int channels)
{
    const std::size_t chunk = static_cast<std::size_t>(kChunkSamples) * channels;
    for (std::size_t at = 0; at < pcm.size(); at += chunk) {
        const std::size_t n = std::min(chunk, pcm.size() - at);
        CBuffer b(reinterpret_cast<std::uint8_t*>(const_cast<std::int16_t*>(pcm.data() + at)),
                  static_cast<std::int32_t>(n * 2));
        ASSERT_TRUE(file.Write(b));
    }
}

std::vector<std::int16_t> Interleave(const std::vector<std::int16_t>& l, const std::vector<std::int16_t>& r)
{
    std::vector<std::int16_t> out(l.size() * 2);
    for (std::size_t i = 0; i < l.size(); ++i) {
        out[2 * i] = l[i];
        out[2 * i + 1] = r[i];
    }
    return out;
}

struct FormatCase {
    int mode;
    std::uint32_t rate;
    std::uint32_t kbps;
    int channels;
    int mpgMode;
    long outRate;
    int version;
    int bitrate;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << "mode " << c.mode << ", " << c.rate << " Hz, " << c.kbps << " kbps";
}

class Mp3FileFormat : public ::testing::TestWithParam<FormatCase> {};

} // namespace

// Every channel mode, output rate and bit rate the settings offer (and the fallbacks for values
// out of range) gives a constant-bit-rate file of the expected layout whose audio lasts as long
// as the input plus the encoder's fixed delay, with nothing held back, and with the own side's
// tone on the left and silence on the right in two-channel modes.
TEST_P(Mp3FileFormat, WritesTheRequestedFormat)
{
    const FormatCase c = GetParam();
    const QString path = TempPath(QString("format-%1-%2-%3.mp3").arg(c.mode).arg(c.rate).arg(c.kbps));
    constexpr long kInput = 16000 + 37; // one second and a bit: not a whole number of frames
    const auto left = Tone(440, 12000, kInput);
    const std::vector<std::int16_t> silence(kInput, 0);

    CMp3File file;
    ASSERT_TRUE(file.Open(c.mode, path, c.rate, c.kbps));
    EXPECT_FALSE(file.IsClosed());
    WriteInChunks(file, c.channels == 2 ? Interleave(left, silence) : left, c.channels);
    ASSERT_TRUE(file.Close());
    EXPECT_TRUE(file.IsClosed());

    const DecodedMp3 d = DecodeMp3(path);
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    EXPECT_EQ(d.layer, 3);
    EXPECT_EQ(d.channels, c.channels);
    EXPECT_EQ(d.mode, c.mpgMode);
    EXPECT_EQ(d.rate, c.outRate);
    EXPECT_EQ(d.version, c.version);
    EXPECT_EQ(d.bitrate, c.bitrate);
    EXPECT_TRUE(d.constantBitrate);
    EXPECT_TRUE(d.original);
    EXPECT_FALSE(d.copyright);

    // The decoded stream is the encoder's delay, then the input, then less than one frame of
    // padding: a file cut short by a held-back frame would fall below the lower bound.
    const double scale = double(c.outRate) / kInputSampleRate;
    const long delay = 576 + 529; // LAME's encoder delay plus the decoder's delay
    const long expected = std::lround(kInput * scale) + delay;
    EXPECT_GE(d.SamplesPerChannel(), expected);
    EXPECT_LT(d.SamplesPerChannel(), expected + d.frameSamples);

    // The tone is in the left (or only) channel through to its end; the right stays silent.
    const auto l = d.Channel(0);
    const long toneFrom = delay + 200, toneTo = std::lround(kInput * scale) + delay - 200;
    EXPECT_NEAR(Rms(l, toneFrom, toneTo), 12000 / std::sqrt(2.0), 1500);
    if (c.channels == 2) {
        EXPECT_LT(Rms(d.Channel(1), toneFrom, toneTo), 300);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Mp3FileFormat,
    ::testing::Values(
        FormatCase{kModeMono, 16000, 32, 1, MPG123_M_MONO, 16000, MPG123_2_0, 32},
        FormatCase{kModeStereo, 32000, 64, 2, MPG123_M_STEREO, 32000, MPG123_1_0, 64},
        FormatCase{kModeJointStereo, 44100, 128, 2, MPG123_M_JOINT, 44100, MPG123_1_0, 128},
        FormatCase{kModeStereo, 48000, 256, 2, MPG123_M_STEREO, 48000, MPG123_1_0, 256},
        FormatCase{kModeMono, 48000, 192, 1, MPG123_M_MONO, 48000, MPG123_1_0, 192},
        // A mode setting out of range records mono; a rate of 0 lets LAME choose (it keeps the
        // input's 16000 Hz); a bit rate of 0 lets LAME choose too.
        FormatCase{7, 0, 96, 1, MPG123_M_MONO, 16000, MPG123_2_0, 96},
        FormatCase{kModeJointStereo, 44100, 0, 2, MPG123_M_JOINT, 44100, MPG123_1_0, 128},
        // MPEG-2 tops out at 160 kbps: LAME takes the nearest rate it can write.
        FormatCase{kModeStereo, 16000, 256, 2, MPG123_M_STEREO, 16000, MPG123_2_0, 160}));

// A chunk LAME keeps entirely succeeds without writing anything; the frames held back are in the
// file after Close, so even a 10 ms recording decodes to its full length.
TEST(Mp3File, HeldBackFramesReachTheFileAtClose)
{
    const QString path = TempPath("short.mp3");
    CMp3File file;
    ASSERT_TRUE(file.Open(kModeMono, path, 16000, 32));
    const auto tone = Tone(440, 10000, kChunkSamples);
    CBuffer chunk(reinterpret_cast<std::uint8_t*>(const_cast<std::int16_t*>(tone.data())), kChunkBytes);
    SetLastError(0);
    ASSERT_TRUE(file.Write(chunk));
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(QFileInfo(path).size(), 0);
    ASSERT_TRUE(file.Close());
    EXPECT_GT(QFileInfo(path).size(), 0);
    const DecodedMp3 d = DecodeMp3(path);
    ASSERT_TRUE(d.ok);
    EXPECT_GE(d.SamplesPerChannel(), kChunkSamples + 576 + 529);
    EXPECT_GT(Rms(d.pcm, 576 + 529, 576 + 529 + kChunkSamples), 3000);
}

// Writes on a writer that is not open are refused with 4355; closing twice is harmless; a writer
// can be opened again for the next recording.
TEST(Mp3File, RefusesWritesWhileClosed)
{
    std::uint8_t bytes[kChunkBytes] = {};
    CBuffer chunk(bytes, kChunkBytes);
    CMp3File file;
    SetLastError(0);
    EXPECT_FALSE(file.Write(chunk));
    EXPECT_EQ(GetLastError(), ERROR_KESTREL_WRITER_CLOSED);
    EXPECT_TRUE(file.Close());

    ASSERT_TRUE(file.Open(kModeStereo, TempPath("twice.mp3"), 44100, 64));
    EXPECT_TRUE(file.Write(chunk));
    EXPECT_TRUE(file.Close());
    SetLastError(0);
    EXPECT_FALSE(file.Write(chunk));
    EXPECT_EQ(GetLastError(), ERROR_KESTREL_WRITER_CLOSED);
    EXPECT_TRUE(file.Close());

    ASSERT_TRUE(file.Open(kModeMono, TempPath("again.mp3"), 16000, 32));
    EXPECT_TRUE(file.Write(chunk));
    EXPECT_TRUE(file.Close());
    EXPECT_TRUE(DecodeMp3(TempPath("again.mp3")).ok);
}

// A file that cannot be created shows the system's text for the error under Kestrel's caption;
// a null path fails without a word.
TEST(Mp3File, OpenFailures)
{
    auto& boxes = testenv::MessageBoxRecorder::Instance();
    boxes.Clear();
    CMp3File file;
    EXPECT_FALSE(file.Open(kModeMono, QString(), 16000, 32));
    EXPECT_TRUE(boxes.Calls().empty());

    EXPECT_FALSE(file.Open(kModeMono, TempPath("no/such/folder/x.mp3"), 16000, 32));
    EXPECT_TRUE(file.IsClosed());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));
    const auto calls = boxes.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, "Kestrel Create Mp3 File Failed!");
    EXPECT_EQ(calls[0].text, QString::fromLocal8Bit(std::strerror(ENOENT)));
    EXPECT_EQ(calls[0].type & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(calls[0].owner, kNoWindow);
    boxes.Clear();
}

// A full disk: the writes that cannot reach the file report 4358 and the writer stays open;
// Close reports the failure too and still releases everything.
TEST(Mp3File, ShortWritesAreReported)
{
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    CMp3File file;
    ASSERT_TRUE(file.Open(kModeStereo, "/dev/full", 48000, 256));
    const auto pcm = Interleave(Tone(300, 9000, kChunkSamples), Tone(500, 9000, kChunkSamples));
    CBuffer chunk(reinterpret_cast<std::uint8_t*>(const_cast<std::int16_t*>(pcm.data())), kChunkBytes * 2);
    bool refused = false;
    for (int i = 0; i < 2000 && !refused; ++i) {
        SetLastError(0);
        refused = !file.Write(chunk);
    }
    ASSERT_TRUE(refused);
    EXPECT_EQ(GetLastError(), ERROR_KESTREL_SHORT_WRITE);
    EXPECT_FALSE(file.IsClosed());
    EXPECT_FALSE(file.Close());
    EXPECT_TRUE(file.IsClosed());
}
