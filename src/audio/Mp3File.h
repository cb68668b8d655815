#pragma once
// The MP3 writer: encodes the mixer's 16 kHz 16-bit PCM with LAME and appends the frames to a
// file. One writer lives in the mixer for the whole run and is opened and closed once per
// recording. Open runs before the mixer thread exists, Write only on the mixer thread, Close
// after that thread has ended; the writer has no lock of its own.
#include <QString>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "audio/WriteToFile.h"

struct lame_global_struct;

class CMp3File : public IWriteToFile {
public:
    CMp3File() = default;
    ~CMp3File() override;
    CMp3File(const CMp3File&) = delete;
    CMp3File& operator=(const CMp3File&) = delete;

    // Creates (or truncates) the file and starts the encoder: input 16000 Hz mono or
    // interleaved stereo, output rate outRate (0 lets LAME choose), constant bit rate kbps,
    // mode 0 mono, 1 stereo, 2 joint stereo (any other value mono), the original flag set, no
    // bit reservoir. A null path fails quietly. A file that cannot be created is reported in a
    // message box with the system's text for the error (the last error is set to errno). An
    // encoder that cannot be started closes the file again (the empty file stays) and fails.
    bool Open(int mode, const QString& path, std::uint32_t outRate, std::uint32_t kbps);

    // Encodes one buffer: mono PCM in mono mode, interleaved pairs otherwise. False with the last
    // error 4355 when closed, 4356 without a file, 4357 when the encoder rejects the samples,
    // 4358 when fewer bytes reached the file than the encoder produced; the writer stays open.
    // A buffer the encoder keeps entirely (no frame complete yet) succeeds and writes nothing.
    bool Write(const CBuffer& buffer) override;

    // Flushes every frame the encoder still holds into the file and closes it. The file, the
    // encoder and the output buffer are released whatever happens; false when the final frames
    // could not be produced or written, or the file could not be closed cleanly. Closing a closed
    // writer does nothing and succeeds.
    bool Close() override;

    bool IsClosed() const { return m_closed; }
    // The settings LAME runs with after a successful Open (for tests and the benchmark).
    int OutputSampleRate() const { return m_outRate; }
    int Channels() const { return m_channels; }
    // Sample count of the encoder's start-up delay (LAME's encoder delay).
    int EncoderDelay() const { return m_encoderDelay; }

    // Starts a LAME encoder with exactly the settings Open uses, for a caller that drives LAME
    // itself (the benchmark's direct encode). Returns null when LAME refuses the settings.
    static lame_global_struct* StartEncoder(int mode, std::uint32_t outRate, std::uint32_t kbps);
    // Samples per channel handed to LAME at once, and the output buffer that suffices for them
    // and for the final flush.
    static constexpr int kEncodeBlockSamples = 1152;
    static constexpr int kOutputBufferBytes = kEncodeBlockSamples * 5 / 4 + 7200;

private:
    std::FILE* m_file = nullptr;
    std::unique_ptr<std::uint8_t[]> m_output;
    lame_global_struct* m_encoder = nullptr;
    std::uint32_t m_finalBytes = 0;
    bool m_closed = true;
    int m_channels = 1;
    int m_outRate = 0;
    int m_encoderDelay = 0;
};
