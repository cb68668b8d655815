#pragma once
// Numbers and texts of Kestrel's main window: control ids, layout, colours, status icons and the
// maker's pages.
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "platform/PlatformConstants.h"

// Control ids of the main window.
constexpr int IDC_HIDE = 1000;
constexpr int IDC_MARK_OWN = 1003;
constexpr int IDC_MARK_REMOTE = 1004;
constexpr int IDC_USER_LABEL = 1008;
constexpr int IDC_UNUSED = 1010;
constexpr int IDC_HISTORY = 1011;
constexpr int IDC_OPTIONS = 1012;
constexpr int IDC_HELP = 1013;
constexpr int IDC_TOPMOST = 1027;
constexpr int IDC_STICK = 1078;

// The About command of the window's menu.
constexpr int IDM_ABOUTBOX = 16;

// Tray icon notifications (handled with the tray).
constexpr UINT WM_TRAYICON_NOTIFY = WM_USER + 257; // 0x501

// Window and layout (client coordinates, undocked).
constexpr QSize kMainWindowSize{438, 98};
constexpr int kTopRowY = 1;
constexpr QPoint kStartStopPos{16, 30};
constexpr QPoint kPauseResumePos{56, 30};
constexpr int kMarkGap = 10;         // between control 1002 and the own-side mark
constexpr int kMarkOverlap = 5;      // the remote-side mark overlaps the own-side mark
constexpr int kMeterDrop = 3;        // each meter sits this much lower than its mark
constexpr QPoint kToolButtonsPos{298, 30};
constexpr int kToolButtonGap = 10;
constexpr int kLabelsLeft = 5;
constexpr int kLabelsAboveBottom = 20;
constexpr int kLabelHeight = 17;
constexpr int kStatusRightMargin = 10;
constexpr int kElapsedGap = 3;       // between meter 1005 and the elapsed box
constexpr int kElapsedRight = 276;
constexpr int kElapsedTop = 30;
constexpr int kElapsedBottom = 62;
constexpr int kElapsedFontMaxPx = 15;
constexpr int kElapsedFontMinPx = 9;
constexpr int kElapsedPadding = 3;
constexpr int kUserLabelGap = 8;     // between the user's handle and the status text
inline const QColor kElapsedTextColour{192, 0, 0};
inline const QColor kUserLabelRed{226, 0, 0};
inline const QColor kPopupHoverColour{0, 0, 200};

// Texts.
inline constexpr const char* kTextSearchingForSkype = "Searching for Skype";
inline constexpr const char* kTextElapsedWaiting = "Waiting...";
inline constexpr const char* kTextElapsedReady = "Ready";
inline constexpr const char* kElapsedFormat = "%H:%M:%S";
inline constexpr const char* kTextRunning = "Kestrel is Running!";
inline constexpr const char* kAboutTitle = "About Kestrel";
inline constexpr const char* kAboutText = "Kestrel (Version 5.0)";
inline constexpr const char* kAboutMenuText = "&About Kestrel...";
inline constexpr const char* kWindowTitle = "Kestrel";
inline constexpr const char* kSingleInstanceName = "KESTREL_CALLRECORDER";

// Pages on the maker's site.
inline constexpr const char* kHelpPage = "help.htm";
inline constexpr const char* kConnectIssuePage = "connect_to_skype_issue.htm";
inline constexpr const char* kRefusedTextHead = "Your skype refused me to access it.\nPlease visit the page (";
inline constexpr const char* kRefusedTextTail = ") to resolve the issue!";

// Tooltips.
inline constexpr const char* kTipHide = "Hide";
inline constexpr const char* kTipTopMost = "Top-most";
inline constexpr const char* kTipStick = "Stick to Skype";
inline constexpr const char* kTipStart = "Start Recording";
inline constexpr const char* kTipStop = "Stop Recording";
inline constexpr const char* kTipPause = "Pause Recording";
inline constexpr const char* kTipResume = "Resume Recording";
inline constexpr const char* kTipHistory = "History";
inline constexpr const char* kTipOptions = "Options";
inline constexpr const char* kTipHelp = "Help";

// ---- tray icon and its menu ---------------------------------------------------------------------
constexpr WPARAM kTrayIconId = 1;
constexpr LPARAM WM_LBUTTONUP = 0x0202; // mouse messages carried in lParam of WM_TRAYICON_NOTIFY
constexpr LPARAM WM_RBUTTONUP = 0x0205;
constexpr int IDR_TRAY_MENU = 146;
constexpr int ID_TRAY_EXIT = 32772;
constexpr int ID_TRAY_CHAT_REPLY = 32773;
constexpr int ID_TRAY_AUTO_RECORD = 32774;
constexpr int ID_TRAY_BOTH_SIDES = 32775;
constexpr int ID_TRAY_REMOTE_SIDE = 32776;
constexpr int ID_TRAY_MY_SIDE = 32777;
constexpr int ID_TRAY_STICK = 32778;
inline constexpr const char* kTrayTip = "Kestrel";
constexpr int kTrayTipMaxChars = 127; // the tip field holds 128 characters with the terminator

// ---- docking under the client's main window ---------------------------------------------------
constexpr int ID_TIMER_DOCK = 201;
constexpr int kDockTimerMs = 200;
inline constexpr const char* kClientWindowClass = "tSkMainForm.UnicodeClass";
inline constexpr const char* kClientWindowClassOld = "tSkMainForm";
constexpr int kBarHeight = 45;
constexpr int kDockMinClientWidth = 500; // narrower client windows are not docked to
constexpr int kDockWidenedWidth = 508;   // the width a narrower client window is given
constexpr int kBarCentreWidth = 426;
constexpr int kBarCapWidth = 37;
constexpr int kBarFillerWidth = 11;
// Docked layout, relative to a = (bar width - centre width) / 2.
constexpr int kDockStartStopX = 11;
constexpr int kDockPauseResumeX = 53;
constexpr int kDockMarkX = 93;
constexpr int kDockButtonsY = 7;
constexpr int kDockElapsedFrom = 3; // elapsed box from 3 to 75 px right of meter 1005
constexpr int kDockElapsedTo = 75;
constexpr int kDockElapsedTop = 6;
constexpr int kDockElapsedBottom = 38;
constexpr int kDockToolsFromMeter = 102; // 1011-1013 start this far right of meter 1005
constexpr int kDockToolsY = 5;
