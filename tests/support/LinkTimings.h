#pragma once
// The link's timings as the tests run it: commands go out at once instead of on the half-second
// poll, and the contacts settle quickly. The keep-alive keeps its period; no test runs that long
// unless it shortens it itself.
#include "skype/SkypeLink.h"

namespace testenv {

inline SkypeLinkTimings FastLinkTimings()
{
    SkypeLinkTimings t;
    t.contactsSettleMs = 60;
    t.sendIdleMs = 5;
    t.sendGapMs = 1;
    t.sendRetryMs = 1;
    t.copyDataTimeoutMs = 2000;
    return t;
}

// Shortened timings for the next link, with a fresh send retry budget.
inline void UseFastLinkTimings()
{
    CSkypeLink::SetTimings(FastLinkTimings());
    CSkypeLink::ResetSendRetryBudget();
}

} // namespace testenv
