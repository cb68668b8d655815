#include "audio/Mp3File.h"

#include <QFile>

#include <lame/lame.h>

#include <cerrno>
#include <cstdarg>

#include "audio/AudioConstants.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"

namespace {

// LAME reports to the console by default; Kestrel has no console output.
void Quiet(const char*, va_list) {}

MPEG_mode ChannelMode(int mode)
{
    switch (mode) {
    case kModeStereo:
        return STEREO;
    case kModeJointStereo:
        return JOINT_STEREO;
    default:
        return MONO;
    }
}

} // namespace

CMp3File::~CMp3File()
{
    if (!m_closed)
        Close();
}

lame_global_struct* CMp3File::StartEncoder(int mode, std::uint32_t outRate, std::uint32_t kbps)
{
    lame_global_flags* gf = lame_init();
    if (!gf)
        return nullptr;
    lame_set_errorf(gf, Quiet);
    lame_set_debugf(gf, Quiet);
    lame_set_msgf(gf, Quiet);
    const MPEG_mode channelMode = ChannelMode(mode);
    lame_set_in_samplerate(gf, kInputSampleRate);
    if (outRate != 0)
        lame_set_out_samplerate(gf, static_cast<int>(outRate));
    lame_set_num_channels(gf, channelMode == MONO ? 1 : 2);
    lame_set_mode(gf, channelMode);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, static_cast<int>(kbps));
    lame_set_original(gf, 1);
    lame_set_copyright(gf, 0);
    lame_set_extension(gf, 0);
    lame_set_error_protection(gf, 0);
    lame_set_disable_reservoir(gf, 1);
    lame_set_bWriteVbrTag(gf, 0);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return nullptr;
    }
    return gf;
}

bool CMp3File::Open(int mode, const QString& path, std::uint32_t outRate, std::uint32_t kbps)
{
    if (path.isNull())
        return false;
    if (!m_closed)
        Close();

    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "w+b");
    if (!file) {
        const int error = errno;
        SetLastError(static_cast<DWORD>(error));
        MessageBox(kNoWindow, qt_error_string(error), QString::fromUtf8(kCreateMp3FailedCaption),
                   MB_OK | MB_ICONERROR);
        return false;
    }

    lame_global_flags* gf = StartEncoder(mode, outRate, kbps);
    if (!gf) {
        std::fclose(file);
        return false;
    }

    m_file = file;
    m_encoder = gf;
    m_output = std::make_unique<std::uint8_t[]>(kOutputBufferBytes);
    m_finalBytes = 0;
    m_channels = lame_get_num_channels(gf);
    m_outRate = lame_get_out_samplerate(gf);
    m_encoderDelay = lame_get_encoder_delay(gf);
    m_closed = false;
    return true;
}

bool CMp3File::Write(const CBuffer& buffer)
{
    if (m_closed) {
        SetLastError(ERROR_KESTREL_WRITER_CLOSED);
        return false;
    }
    if (!m_file) {
        SetLastError(ERROR_KESTREL_NO_OUTPUT_FILE);
        return false;
    }

    // size / 2 samples, both channels counted in a stereo buffer; a trailing odd byte or an
    // unpaired stereo sample is not audio and is left out.
    const std::int16_t* pcm = buffer.Samples();
    int frames = buffer.SampleCount() / m_channels;
    bool ok = true;
    while (frames > 0) {
        const int n = frames < kEncodeBlockSamples ? frames : kEncodeBlockSamples;
        int bytes;
        if (m_channels == 2)
            bytes = lame_encode_buffer_interleaved(m_encoder, const_cast<short*>(pcm), n, m_output.get(),
                                                   kOutputBufferBytes);
        else
            bytes = lame_encode_buffer(m_encoder, pcm, pcm, n, m_output.get(), kOutputBufferBytes);
        pcm += n * m_channels;
        frames -= n;
        if (bytes < 0) {
            SetLastError(ERROR_KESTREL_ENCODER_REJECTED);
            ok = false;
            continue;
        }
        if (bytes > 0 && std::fwrite(m_output.get(), 1, static_cast<std::size_t>(bytes), m_file)
                             != static_cast<std::size_t>(bytes)) {
            SetLastError(ERROR_KESTREL_SHORT_WRITE);
            ok = false;
        }
    }
    return ok;
}

bool CMp3File::Close()
{
    if (m_closed)
        return true;

    bool ok = false;
    const int bytes = lame_encode_flush(m_encoder, m_output.get(), kOutputBufferBytes);
    if (bytes >= 0) {
        m_finalBytes = static_cast<std::uint32_t>(bytes);
        ok = m_file && std::fwrite(m_output.get(), 1, m_finalBytes, m_file) == m_finalBytes;
    }
    lame_close(m_encoder);
    m_encoder = nullptr;
    if (m_file) {
        if (std::fflush(m_file) != 0)
            ok = false;
        if (std::fclose(m_file) != 0)
            ok = false;
        m_file = nullptr;
    }
    m_output.reset();
    m_closed = true;
    return ok;
}
