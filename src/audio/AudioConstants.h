#pragma once
// Numbers of Kestrel's audio path: the two local ports Skype streams a call's audio to, the
// level messages for the main window's meters, the recording states, the PCM block format,
// the stream servers' limits, the mixer's pools and sleeps, and the socket error numbers the
// receive threads act on.
#include <cstddef>
#include <cstdint>

#include "platform/PlatformConstants.h"

// Ports Skype is told to copy the call's streams to (both servers listen on 127.0.0.1 only).
constexpr std::uint16_t kOwnSidePort = 38377;    // the user's microphone
constexpr std::uint16_t kRemoteSidePort = 38376; // Skype's sound output (the other party)
inline constexpr const char* kListenAddress = "127.0.0.1";

// Level messages posted to the notify window: wParam is the level 0..kMaxLevel, lParam 0.
constexpr UINT WM_LEVEL_OWN = WM_USER + 0x111;    // 0x511
constexpr UINT WM_LEVEL_REMOTE = WM_USER + 0x112; // 0x512

// The recording state the recording controller writes and the receive threads read.
enum class RecordingState : std::int32_t {
    Recording = 256, // a recording was started: chunks are queued
    Paused = 257,    // the user paused it
    Resumed = 258,   // the user resumed it: chunks are queued
    Stopped = 259,   // the recording ended
    Idle = 260,      // no recording since start-up
};

// Side selection of a recording (also the mixer's side): both sides, the user only, the other
// party only. The mixer treats any value other than 0 and 1 as the remote side only.
constexpr int kSideBoth = 0;
constexpr int kSideOwn = 1;
constexpr int kSideRemote = 2;

// Output channel modes of a recording.
constexpr int kModeMono = 0;
constexpr int kModeStereo = 1;
constexpr int kModeJointStereo = 2;

// PCM as Skype sends it: 16000 Hz, signed 16-bit little-endian, mono, in 10 ms blocks.
constexpr int kInputSampleRate = 16000;
constexpr int kChunkBytes = 320;
constexpr int kChunkSamples = kChunkBytes / 2;

// Stream servers.
constexpr int kMaxSockets = 63;           // the listening socket and up to 62 clients
constexpr int kMaxClients = kMaxSockets - 1;
constexpr int kListenBacklog = 64;
constexpr int kReceiveBufferBytes = 1024; // the receive thread's buffer
constexpr int kMaxReceiveBytes = 1022;    // at most this much is read at once

// Level meter: a level is posted on every sixth read, taken from one sample in ten, shifted
// down to 0..512; a falling level drops by at most 4 per update.
constexpr int kLevelReadsBetweenPosts = 5;
constexpr int kLevelSampleStride = 10;
constexpr int kLevelShift = 6;
constexpr int kLevelFallStep = 4;
constexpr int kMaxLevel = 512;

// Mixer.
constexpr std::size_t kPoolInitialBuffers = 1024; // per side, 10.24 s of audio
constexpr int kMixerIdleSleepMs = 300;            // after catching up with the queues
constexpr int kMixerEmptyRecheckMs = 15;          // one more look at a queue still empty
constexpr int kStopPumpSleepMs = 5;               // between event-loop turns while Stop waits

// Recording paths: the path with ".mp3" appended must fit this many UTF-16 units, the
// terminator included. Longer paths are refused.
constexpr int kMaxRecordingPath = 520;
inline constexpr const char* kMp3Extension = ".mp3";

// Socket error numbers (the Winsock numbering the receive threads test for).
constexpr int kSockErrorInterrupted = 10004;
constexpr int kSockErrorBadHandle = 10009;
constexpr int kSockErrorAccess = 10013;
constexpr int kSockErrorFault = 10014;
constexpr int kSockErrorInvalid = 10022;
constexpr int kSockErrorTooManyOpen = 10024;
constexpr int kSockErrorWouldBlock = 10035;
constexpr int kSockErrorNotSocket = 10038;
constexpr int kSockErrorAddressInUse = 10048;
constexpr int kSockErrorAddressNotAvailable = 10049;
constexpr int kSockErrorNetDown = 10050;
constexpr int kSockErrorNetUnreachable = 10051;
constexpr int kSockErrorConnectionAborted = 10053;
constexpr int kSockErrorConnectionReset = 10054;
constexpr int kSockErrorNoBuffers = 10055;
constexpr int kSockErrorAlreadyConnected = 10056;
constexpr int kSockErrorNotConnected = 10057;
constexpr int kSockErrorShutdown = 10058;
constexpr int kSockErrorTimedOut = 10060;
constexpr int kSockErrorRefused = 10061;
constexpr int kSockErrorHostUnreachable = 10065;
constexpr int kErrorTimeout = 1460;              // a timed-out wait: the thread polls again
constexpr DWORD kErrorPathTooLong = 206;         // a recording path that does not fit

// Texts shown to the user.
inline constexpr const char* kCreateMp3FailedCaption = "Kestrel Create Mp3 File Failed!";
inline constexpr const char* kPortFailedText =
    "Create socket failed! Please make sure your firewall/anti-virus software does NOT block the port '%1'!";
inline constexpr const char* kPortFailedCaption = "Kestrel";
