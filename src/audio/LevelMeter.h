#pragma once
// The level of one side for the main window's meter, taken from the reads of that side's
// receive thread: every sixth read gives a level from one sample in ten (0..512); a meter
// rises at once and falls by at most 4 per update. Used by one thread only.
#include <cstdint>

class CLevelMeter {
public:
    // Counts one read of n bytes; returns the level to post, or -1 when this read posts none.
    int OnRead(const std::uint8_t* data, int n);
    int PreviousLevel() const { return m_previous; }

    // The loudest of the sampled values, shifted to 0..512 (0 when there is no whole sample).
    static int Peak(const std::uint8_t* data, int n);

private:
    int m_reads = 0;
    int m_previous = 0;
};
