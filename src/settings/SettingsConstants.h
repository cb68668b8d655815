#pragma once
// Names, types and defaults of Kestrel's settings as they are kept in the per-user registry file.
#include "platform/PlatformConstants.h"

// Value types of the registry file.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// The settings live in the key kRootKeyPath + kConfigKey.
inline constexpr const char* kRootKeyPath = "software\\Morvex\\";
inline constexpr const char* kConfigKey = "config";
// The registry file inside Folders::AppConfig().
inline constexpr const char* kRegistryFileName = "registry.reg";

// Query buffers: a text value of more than kTextBufferBytes (259 characters and a terminator)
// cannot be read, nor a number of more than 4 bytes, nor a flag of more than 1 byte.
constexpr int kTextBufferBytes = 520;
// The reply text may be as long as the options dialog lets it be (512 characters): its buffer is
// sized for that, so a long reply the user typed is read back instead of being lost to the
// default at the next start.
constexpr int kReplyTextMaxChars = 512;
constexpr int kReplyTextBufferBytes = (kReplyTextMaxChars + 1) * 2;
constexpr int kDwordBytes = 4;
constexpr int kByteBytes = 1;

// Value names.
inline constexpr const char* kValAutostart = "autostart";
inline constexpr const char* kValPosition = "position";
inline constexpr const char* kValHispos = "hispos";
inline constexpr const char* kValNotifyCov = "notifycov";
inline constexpr const char* kValNotifyFinish = "notifyfinish";
inline constexpr const char* kValNotifyHistory = "notifyhistory";
inline constexpr const char* kValStartHide = "starthide";
inline constexpr const char* kValRecType = "rectype";
inline constexpr const char* kValRecSide = "recside";
inline constexpr const char* kValSFolder = "sfolder";
inline constexpr const char* kValAMode = "amode";
inline constexpr const char* kValABitrate = "abitrate";
inline constexpr const char* kValASample = "asample";
inline constexpr const char* kValChatReply = "chatreply";
inline constexpr const char* kValOnlineReply = "onlinereply";
inline constexpr const char* kValNotOnlineReply = "notonlinereply";
inline constexpr const char* kValReplyTxt = "replytxt";
inline constexpr const char* kValTopmost = "topmost";
inline constexpr const char* kValStickSky = "sticksky";
constexpr int kSettingsValueCount = 19;

// Defaults.
constexpr bool kDefAutostart = false;
constexpr bool kDefNotifyCov = true;
constexpr bool kDefNotifyFinish = true;
constexpr bool kDefNotifyHistory = true;
constexpr bool kDefStartHide = false;
constexpr bool kDefRecType = true; // record calls automatically
constexpr int kDefRecSide = 0;     // both sides
constexpr int kDefAMode = 1;       // stereo
constexpr int kDefABitrate = 1;    // 64 kbps
constexpr int kDefASample = 1;     // 32000 Hz
constexpr bool kDefChatReply = true;
constexpr bool kDefOnlineReply = false;
constexpr bool kDefNotOnlineReply = true;
inline constexpr const char* kDefReplyTxt = "/me is not available for chat.";
constexpr bool kDefTopmost = false;
constexpr bool kDefStickSky = false;

// Start at logon: the XDG autostart entry kAutoStartName + ".desktop".
inline constexpr const char* kAutoStartName = "Morvex";
// The longest executable path the autostart entry takes.
constexpr int kMaxExecutablePath = 520;
