#pragma once
// Numbers and texts of the main window's recording logic: the finish message, the elapsed-time
// timer, the control ids it drives, the window's status codes and colours, the status texts and
// the encoder choices behind the settings' indexes.
#include <array>
#include <cstdint>

#include "platform/PlatformConstants.h"

// Posted by the main window to itself once a recording has been stopped; the file is finished
// and the history entry written when it arrives.
constexpr UINT WM_RECORDING_FINISH = WM_USER + 275; // 0x513

// The elapsed-time timer of a running recording.
constexpr int ID_TIMER_ELAPSED = 1;
constexpr int kElapsedTimerMs = 1000;

// Timings of the recording controller; tests shorten them.
struct RecorderTimings {
    int elapsedMs = kElapsedTimerMs; // period of ID_TIMER_ELAPSED: one tick adds one second
};

// Controls of the main window the controller drives.
constexpr int IDC_START_STOP = 1001;   // Start/Stop Recording
constexpr int IDC_PAUSE_RESUME = 1002; // Pause/Resume Recording
constexpr int IDC_LEVEL_OWN = 1005;
constexpr int IDC_LEVEL_REMOTE = 1006;
constexpr int IDC_STATUS_LABEL = 1009;

// What the main window shows when no time is being counted.
enum UiState : int {
    UiWaiting = 0,   // not yet attached to the client
    UiReady = 1,     // attached, no recording
    UiRecording = 2, // a recording runs
    UiPaused = 3,    // a recording is paused
};

// Colours as 0x00BBGGRR, the way the window's labels take them.
using COLORREF = std::uint32_t;
constexpr COLORREF MakeRgb(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RgbRed(COLORREF c) { return c & 0xFF; }
constexpr int RgbGreen(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr int RgbBlue(COLORREF c) { return (c >> 16) & 0xFF; }
constexpr COLORREF kStatusRed = MakeRgb(226, 0, 0);
constexpr COLORREF kStatusBlack = MakeRgb(0, 0, 0);

// Texts of the status label (control 1009).
inline constexpr const char* kTextWaitingForSkype = "Waiting to access Skype ...";
inline constexpr const char* kTextReadyForRecording = "Ready for recording ...";
inline constexpr const char* kTextRecordingInProgress = "Recording in progress ...";
inline constexpr const char* kTextRecordingPause = "Recording pause ...";

// Recording file names: <sfolder>/<partner>_<local time>.mp3.
inline constexpr const char* kFileTimeFormat = "%Y-%m-%d_%H-%M-%S";
inline constexpr const char* kUndisclosedPstnMarker = "undisclosed_pstn:";
inline constexpr const char* kUndisclosedPstnName = "undisclosed_pstn";
// Characters of a partner handle that may not reach the file name, and what stands in for them.
inline constexpr char16_t kFileNameForbidden[] = {u'/', u'\\', u'\0'};
constexpr char16_t kFileNameReplacement = u'_';

// Encoder choices by the settings' indexes (asample, abitrate, amode). An index outside a table
// gives 0, which is passed on as it is.
constexpr std::array<std::uint32_t, 6> kSampleRateByIndex = {16000, 32000, 44100, 48000, 0, 0};
constexpr std::array<std::uint32_t, 6> kBitRateByIndex = {32, 64, 96, 128, 192, 256};
constexpr std::array<int, 6> kModeByIndex = {0, 1, 2, 0, 0, 0};
