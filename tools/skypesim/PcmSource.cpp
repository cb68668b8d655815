#include "PcmSource.h"

#include <QFile>

#include <cmath>
#include <cstring>
#include <numbers>

#include "SimConstants.h"

CPcmSource CPcmSource::Tone(double hz, double amplitude)
{
    CPcmSource s;
    if (hz <= 0 || amplitude <= 0)
        return s;
    s.m_kind = Kind::Tone;
    s.m_hz = hz;
    s.m_amplitude = amplitude;
    return s;
}

CPcmSource CPcmSource::Silence()
{
    return CPcmSource();
}

namespace {
std::uint32_t Le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (std::uint32_t(u[3]) << 24);
}
std::uint16_t Le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(u[0] | (u[1] << 8));
}
} // namespace

bool CPcmSource::LoadWav(const QString& path, CPcmSource& out, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray all = file.readAll();
    if (all.size() < 12 || std::memcmp(all.constData(), "RIFF", 4) != 0 || std::memcmp(all.constData() + 8, "WAVE", 4) != 0) {
        error = QStringLiteral("%1 is not a RIFF WAVE file").arg(path);
        return false;
    }
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= all.size()) {
        const char* chunk = all.constData() + pos;
        const std::uint32_t size = Le32(chunk + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = std::min<qsizetype>(size, all.size() - body);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (available < 16) {
                error = QStringLiteral("%1: short format chunk").arg(path);
                return false;
            }
            const char* f = all.constData() + body;
            const unsigned format = Le16(f), channels = Le16(f + 2), bits = Le16(f + 14);
            const std::uint32_t rate = Le32(f + 4);
            if (format != 1 || channels != 1 || bits != 16 || rate != std::uint32_t(sim::kSampleRate)) {
                error = QStringLiteral("%1: need 16000 Hz mono 16-bit PCM, found format %2, %3 channels, %4 bits, %5 Hz")
                            .arg(path).arg(format).arg(channels).arg(bits).arg(rate);
                return false;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = QStringLiteral("%1: data before format").arg(path);
                return false;
            }
            auto samples = std::make_shared<std::vector<int16_t>>(available / 2);
            for (std::size_t i = 0; i < samples->size(); ++i)
                (*samples)[i] = int16_t(Le16(all.constData() + body + 2 * i));
            if (samples->empty()) {
                error = QStringLiteral("%1: no samples").arg(path);
                return false;
            }
            out = CPcmSource();
            out.m_kind = Kind::Wav;
            out.m_samples = std::move(samples);
            out.m_path = path;
            return true;
        }
        pos = body + size + (size & 1);
    }
    error = QStringLiteral("%1: no data chunk").arg(path);
    return false;
}

void CPcmSource::Fill(int16_t* out, int count)
{
    switch (m_kind) {
    case Kind::Silence:
        std::memset(out, 0, sizeof(int16_t) * count);
        break;
    case Kind::Tone:
        for (int i = 0; i < count; ++i, ++m_position) {
            // The phase is taken modulo one period of the tone so it stays exact over long runs.
            const double t = std::fmod(double(m_position) * m_hz / sim::kSampleRate, 1.0);
            out[i] = int16_t(std::lround(m_amplitude * std::sin(2 * std::numbers::pi * t)));
        }
        break;
    case Kind::Wav:
        for (int i = 0; i < count; ++i) {
            out[i] = (*m_samples)[m_position];
            if (++m_position == m_samples->size())
                m_position = 0;
        }
        break;
    }
}

QString CPcmSource::Describe() const
{
    switch (m_kind) {
    case Kind::Tone:
        return QStringLiteral("tone %1").arg(m_hz);
    case Kind::Wav:
        return QStringLiteral("wav %1").arg(m_path);
    default:
        return QStringLiteral("silence");
    }
}
