#pragma once
// Numbers and texts of the Skype link: events posted to the main window, attach statuses,
// user and call states, the audio ports Skype is asked to use, and the link's timings.
#include "platform/PlatformConstants.h"

// Events the link posts to the main window.
constexpr UINT WM_SKYPE_CONNECTED = WM_USER + 500;     // 0x5F4
constexpr UINT WM_SKYPE_CONTACTS = WM_USER + 502;      // 0x5F6
constexpr UINT WM_SKYPE_USERSTATUS = WM_USER + 507;    // 0x5FB
constexpr UINT WM_SKYPE_ATTACHED = WM_USER + 508;      // 0x5FC
constexpr UINT WM_SKYPE_CALL = WM_USER + 510;          // 0x5FE
constexpr UINT WM_SKYPE_DTMF = WM_USER + 511;          // 0x5FF
constexpr UINT WM_SKYPE_VERSION = WM_USER + 514;       // 0x602
constexpr UINT WM_SKYPE_REFUSED = WM_USER + 521;       // 0x609
constexpr UINT WM_SKYPE_INCOMING_P2P = WM_USER + 522;  // 0x60A
constexpr UINT WM_SKYPE_INCOMING_PSTN = WM_USER + 523; // 0x60B
constexpr UINT WM_SKYPE_WINDOWSTATE = WM_USER + 525;   // 0x60D

// lParam of WM_SKYPE_CALL.
constexpr LPARAM kCallPartnerRecorded = 1;
constexpr LPARAM kCallStatusRecorded = 2;
// wParam of WM_SKYPE_WINDOWSTATE.
constexpr WPARAM kSkypeWindowHidden = 20;
constexpr WPARAM kSkypeWindowNormal = 21;

// Attach statuses.
enum AttachStatus : UINT {
    AttachSucceeded = 0,
    AttachPendingAuthorization = 1,
    AttachRefused = 2,
    AttachNotAvailable = 3,
    AttachApiAvailable = 0x8001,
};

enum OnlineStatus : int {
    OnlineUnknown = 0,
    OnlineLoggedOut = 1,
    OnlineOffline = 2,
    OnlineOnline = 3,
    OnlineSkypeMe = 4,
    OnlineAway = 5,
    OnlineNotAvailable = 6,
    OnlineDoNotDisturb = 7,
    OnlineInvisible = 8,
    OnlineSkypeOut = 9,
};

enum CallStatus : int {
    CallNoStatus = 0,
    CallUnplaced = 1,
    CallRouting = 2,
    CallEarlyMedia = 3,
    CallFailed = 4,
    CallRinging = 5,
    CallInProgress = 6,
    CallOnHold = 7,
    CallFinished = 8,
    CallMissed = 9,
    CallRefused = 10,
    CallBusy = 11,
    CallCancelled = 12,
};

constexpr int kCallSlots = 20;
constexpr int kNoSlot = -1;

// Local TCP ports Skype copies a call's audio to.
constexpr unsigned short kOwnAudioPort = 38377;    // the user's microphone
constexpr unsigned short kRemoteAudioPort = 38376; // the call's output

// The send buffer: a command's UTF-8 form with its NUL must fit.
constexpr int kSendBufferBytes = 1024;
// Retries of a failed send over the whole run.
constexpr int kSendRetryBudget = 5;
// Keep-alive broadcasts without an answer before the link closes.
constexpr int kMaxMissedPings = 3;

// Timings of the link, in milliseconds. Tests shorten them through CSkypeLink::SetTimings.
struct SkypeLinkTimings {
    int keepAliveMs = 30000;    // ping period
    int contactsSettleMs = 1000; // quiet time after the last USER notification
    int sendIdleMs = 500;       // send thread's sleep when the queue is empty
    int sendGapMs = 10;         // pause after each command sent
    int sendRetryMs = 50;       // pause before a failed send is retried
    int openChatWaits = 3000;   // waits for the client's new chat report...
    int openChatWaitMs = 3;     // ...of this length each
    int openChatSettleMs = 200; // message pumping after "open chat"
    int copyDataTimeoutMs = 5000; // a blocking send to the client gives up after this
};

// Window class and title of the link's API window.
inline constexpr const char* kApiWindowClassPrefix = "ISkypeWnd";
inline constexpr const char* kApiWindowTitle = "ISkypeUIWnd";

// The D-Bus interface every API window implements.
inline constexpr const char* kSkypeDBusInterface = "com.Skype.API.Window";
