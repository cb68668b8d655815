#pragma once
// Where a streamed side's samples come from: a sine tone, silence, or a WAV file (16 kHz mono
// 16-bit PCM) played in a loop. Each stream takes its own copy, which keeps its own position.
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CPcmSource {
public:
    static CPcmSource Tone(double hz, double amplitude);
    static CPcmSource Silence();
    // Loads a WAV file; on failure returns false and sets error.
    static bool LoadWav(const QString& path, CPcmSource& out, QString& error);

    // Fills count samples and advances.
    void Fill(int16_t* out, int count);
    QString Describe() const;

private:
    enum class Kind { Silence, Tone, Wav };
    Kind m_kind = Kind::Silence;
    double m_hz = 0;
    double m_amplitude = 0;
    std::uint64_t m_position = 0; // samples produced so far (tone) or index into the file (WAV)
    std::shared_ptr<const std::vector<int16_t>> m_samples;
    QString m_path;
};
