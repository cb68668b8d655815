#include "audio/Mp3Decode.h"

#include <QFile>

#include <mpg123.h>

#include <cmath>

namespace audiotest {

std::vector<std::int16_t> DecodedMp3::Channel(int c) const
{
    std::vector<std::int16_t> out;
    if (channels <= 0)
        return out;
    out.reserve(pcm.size() / channels);
    for (std::size_t i = c; i < pcm.size(); i += channels)
        out.push_back(pcm[i]);
    return out;
}

DecodedMp3 DecodeMp3(const QString& path)
{
    DecodedMp3 d;
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) {
        d.error = "mpg123_new failed";
        return d;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(mh);
    for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L})
        mpg123_format(mh, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(mh, QFile::encodeName(path).constData()) != MPG123_OK) {
        d.error = QString("open: ") + mpg123_strerror(mh);
        mpg123_delete(mh);
        return d;
    }
    bool first = true;
    for (;;) {
        off_t num = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int r = mpg123_decode_frame(mh, &num, &audio, &bytes);
        if (r == MPG123_NEW_FORMAT) {
            int enc = 0;
            mpg123_getformat(mh, &d.rate, &d.channels, &enc);
            continue;
        }
        if (r == MPG123_DONE)
            break;
        if (r != MPG123_OK) {
            d.error = QString("decode: ") + mpg123_strerror(mh);
            mpg123_delete(mh);
            return d;
        }
        mpg123_frameinfo info{};
        mpg123_info(mh, &info);
        if (first) {
            d.mode = info.mode;
            d.version = info.version;
            d.layer = info.layer;
            d.bitrate = info.bitrate;
            d.original = (info.flags & MPG123_ORIGINAL) != 0;
            d.copyright = (info.flags & MPG123_COPYRIGHT) != 0;
            d.frameSamples = mpg123_spf(mh);
            first = false;
        } else if (info.bitrate != d.bitrate || info.vbr != MPG123_CBR) {
            d.constantBitrate = false;
        }
        ++d.frames;
        const auto* s = reinterpret_cast<const std::int16_t*>(audio);
        d.pcm.insert(d.pcm.end(), s, s + bytes / 2);
    }
    mpg123_delete(mh);
    d.ok = true;
    return d;
}

double Rms(const std::vector<std::int16_t>& s, long from, long to)
{
    if (to < 0 || to > static_cast<long>(s.size()))
        to = static_cast<long>(s.size());
    if (to <= from)
        return 0;
    double sum = 0;
    for (long i = from; i < to; ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(to - from));
}

std::vector<std::int16_t> Tone(double hz, double amplitude, long n, long phase)
{
    std::vector<std::int16_t> out(n);
    for (long i = 0; i < n; ++i)
        out[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * double(i + phase) / 16000.0)));
    return out;
}

} // namespace audiotest
