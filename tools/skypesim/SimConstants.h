#pragma once
// Names, numbers and timings of skypesim, the Skype client stand-in.
#include <cstddef>

namespace sim {

// The D-Bus interface every API window implements, and where skypesim exports its own.
inline constexpr const char* kInterface = "com.Skype.API.Window";
inline constexpr const char* kClientPath = "/com/Skype/Client";

// Attach statuses.
constexpr unsigned kAttachSucceeded = 0;
constexpr unsigned kAttachPending = 1;
constexpr unsigned kAttachRefused = 2;
constexpr unsigned kAttachNotAvailable = 3;
constexpr unsigned kAttachApiAvailable = 0x8001;

// A text sent to a program's window gives up after this long.
constexpr int kCopyDataTimeoutMs = 5000;
// "--attach pending": time between the pending answer and the success.
constexpr int kDefaultPendingMs = 300;
// "waitfor": how long a scenario waits for a condition before it goes on.
constexpr int kDefaultWaitForTimeoutMs = 30000;
// How often a waiting scenario looks at its condition.
constexpr int kWaitForPollMs = 5;

// Audio: 16 kHz mono signed 16-bit little-endian PCM in blocks of 10 ms.
constexpr int kSampleRate = 16000;
constexpr int kBlockSamples = 160;
constexpr std::size_t kBlockBytes = kBlockSamples * 2;
constexpr int kBlockMs = 10;
// When the streamer falls this far behind its schedule (a stalled reader), it starts a new
// schedule instead of sending the backlog at once.
constexpr int kMaxLagMs = 500;
// A stream asked to stop finishes the block it has begun for at most this long.
constexpr int kStopGraceMs = 100;
// While the reader's window is full, the streamer looks again after this long.
constexpr int kSendPollMs = 10;
constexpr double kDefaultOwnToneHz = 440.0;
constexpr double kDefaultRemoteToneHz = 660.0;
constexpr double kToneAmplitude = 8000.0;

// The user and contacts skypesim plays unless told otherwise.
inline constexpr const char* kDefaultUser = "kestrel.tester";
inline constexpr const char* kDefaultContacts = "alice=Alice Smith,bob=Bob Jones,+4930123";

// First id of chat messages the user sends, of calls the user places.
constexpr int kFirstOwnMessageId = 1001;
constexpr int kFirstOwnCallId = 101;

} // namespace sim
