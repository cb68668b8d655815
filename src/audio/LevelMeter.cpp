#include "audio/LevelMeter.h"

#include <algorithm>
#include <cstdlib>

#include "audio/AudioConstants.h"

int CLevelMeter::Peak(const std::uint8_t* data, int n)
{
    int level = 0;
    for (int k = 0; k < n / 2; k += kLevelSampleStride) {
        const auto s = static_cast<std::int16_t>(data[2 * k] | (data[2 * k + 1] << 8));
        level = std::max(level, std::abs(static_cast<int>(s)) >> kLevelShift);
    }
    return level;
}

int CLevelMeter::OnRead(const std::uint8_t* data, int n)
{
    if (m_reads < kLevelReadsBetweenPosts) {
        ++m_reads;
        return -1;
    }
    int level = Peak(data, n);
    if (level < m_previous)
        level = std::max(m_previous - kLevelFallStep, 0);
    m_previous = level;
    m_reads = 0;
    return level;
}
