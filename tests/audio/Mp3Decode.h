#pragma once
// Decodes an MP3 file with libmpg123 and reports its format, so the audio tests can check what
// Kestrel wrote.
#include <QString>

#include <cstdint>
#include <vector>

namespace audiotest {

struct DecodedMp3 {
    bool ok = false;
    QString error;
    long rate = 0;
    int channels = 0;
    int mode = -1;    // mpg123_mode: MPG123_M_STEREO, _JOINT, _DUAL, _MONO
    int version = -1; // mpg123_version: MPG123_1_0, MPG123_2_0, MPG123_2_5
    int layer = 0;
    bool constantBitrate = true; // every frame had the same bit rate
    int bitrate = 0;             // kbps of the first frame
    bool original = false;       // the original flag of the first frame
    bool copyright = true;
    long frames = 0;
    long frameSamples = 0; // samples per channel in one frame
    std::vector<std::int16_t> pcm; // interleaved when channels == 2

    long SamplesPerChannel() const { return channels ? static_cast<long>(pcm.size()) / channels : 0; }
    // One channel of the decoded audio (0 left, 1 right; 0 for mono).
    std::vector<std::int16_t> Channel(int c) const;
};

DecodedMp3 DecodeMp3(const QString& path);

// Root mean square of samples [from, to).
double Rms(const std::vector<std::int16_t>& s, long from = 0, long to = -1);

// A tone of the given frequency and amplitude, n samples at 16000 Hz.
std::vector<std::int16_t> Tone(double hz, double amplitude, long n, long phase = 0);

} // namespace audiotest
