#pragma once
// Constants of Kestrel's custom controls, popup notifier and artwork.
#include <QColor>
#include <QSize>

namespace ui {

// ---- resource numbers (bitmaps under :/bitmaps/<id>, the application icon under :/icons) -------
constexpr int IDR_MAINFRAME = 128;          // application icon (16, 32, 48, 64, 128, 256 px)
constexpr int IDB_BACKGROUND = 129;         // main window, 438 x 98, pure green holes
constexpr int IDB_HIDE_NORMAL = 130;        // 16 x 16 hide button: normal, hover, pressed
constexpr int IDB_HIDE_HOVER = 131;
constexpr int IDB_HIDE_PRESSED = 132;
constexpr int IDB_START_NORMAL = 133;       // 32 x 32 record (start and resume)
constexpr int IDB_START_HOVER = 134;
constexpr int IDB_START_PRESSED = 135;
constexpr int IDB_STOP_NORMAL = 136;        // 32 x 32 stop
constexpr int IDB_STOP_HOVER = 137;
constexpr int IDB_STOP_PRESSED = 138;
constexpr int IDB_PAUSE_NORMAL = 139;       // 32 x 32 pause
constexpr int IDB_PAUSE_HOVER = 140;
constexpr int IDB_PAUSE_PRESSED = 141;
constexpr int IDB_MARK_OWN = 1007;          // 12 x 12 microphone mark beside meter 1005
constexpr int IDB_MARK_REMOTE = 1008;       // 10 x 10 speaker mark beside meter 1006
constexpr int IDB_STATUS_STRIP = 1010;      // six 16 x 16 status icons side by side
constexpr int IDB_HISTORY_NORMAL = 1012;    // 32 x 32 tool buttons: normal and hover
constexpr int IDB_HISTORY_HOVER = 1060;
constexpr int IDB_OPTIONS_NORMAL = 1013;
constexpr int IDB_OPTIONS_HOVER = 1062;
constexpr int IDB_HELP_NORMAL = 1014;
constexpr int IDB_HELP_HOVER = 1061;
constexpr int IDB_POPUP_SKIN = 2006;        // popup skin, magenta holes
constexpr int IDB_TOPMOST_NORMAL = 2007;    // 15 x 15 top-most pin; 2009 is the "on" look
constexpr int IDB_TOPMOST_HOVER = 2008;
constexpr int IDB_TOPMOST_PRESSED = 2009;
constexpr int IDB_BAR_LEFT = 2012;          // docked bar: left cap 37 x 45
constexpr int IDB_BAR_RIGHT = 2013;         // right cap 37 x 45
constexpr int IDB_BAR_CENTRE = 2014;        // centre piece 426 x 45
constexpr int IDB_BAR_FILLER = 2015;        // filler 11 x 45
constexpr int IDB_ELAPSED_BOX = 2016;       // elapsed-time box background, 72 x 32
constexpr int IDB_STICK_NORMAL = 2017;      // 15 x 15 stick-to-Skype: 2019 is the "on" look
constexpr int IDB_STICK_HOVER = 2018;
constexpr int IDB_STICK_PRESSED = 2019;
// History window.
constexpr int IDB_EXPAND_COLLAPSED = 1016;  // 16 x 16 day-row glyphs: collapsed, expanded
constexpr int IDB_EXPAND_EXPANDED = 1017;
constexpr int IDB_PLAY = 1029;              // 24 x 24 player buttons: play, pause, stop, speaker
constexpr int IDB_PAUSE = 1030;
constexpr int IDB_PLAYER_STOP = 1031;
constexpr int IDB_SPEAKER = 1032;
constexpr int IDB_RECORD_ICONS = 1033;      // four 16 x 16 record icons side by side
constexpr int IDB_ROW_BUTTONS = 1034;       // four 14 x 14 row buttons side by side
constexpr int IDB_ROOT_ICON = 1035;         // 16 x 16
constexpr int IDB_HISTORY_TITLE = 1056;     // 66 x 22 title strip: corner, stretched middle, corner
constexpr int IDI_MENU_PLAY = 2000;         // 16 x 16 context-menu icons
constexpr int IDI_MENU_STOP = 2001;
constexpr int IDI_MENU_CALL = 2002;
constexpr int IDI_MENU_SEND_IM = 2003;
constexpr int IDI_MENU_DELETE = 2004;
constexpr int IDI_MENU_OPEN = 2005;

// Status icons of strip 1010, by index from the left.
constexpr int kStatusIconUnknown = 0;
constexpr int kStatusIconOffline = 1;
constexpr int kStatusIconOnline = 2;
constexpr int kStatusIconAway = 3;
constexpr int kStatusIconNotAvailable = 4; // also do not disturb
constexpr int kStatusIconSkypeMe = 5;
constexpr int kStatusIconCount = 6;
constexpr int kStripIconSize = 16;

// Window-shape keys: a pixel of exactly this colour is a hole in the window.
inline const QColor kMainWindowKey{0, 255, 0};
inline const QColor kPopupKey{255, 0, 255};
inline const QColor kDockBarKey{255, 255, 255};

// Sizes the artwork is drawn for. The level meters fit the main window's layout: 1005 at
// (110, 33) and 1006 at (108, 40), so that the elapsed box runs from 3 px right of meter 1005 to
// x = 276 and is 72 px wide, as in the docked bar.
constexpr QSize kMainWindowSize{438, 98};
constexpr QSize kElapsedBoxSize{72, 32};
constexpr QSize kLevelMeterSize{91, 6};

// ---- level meter (CKCBusyProgressCtrl) ----------------------------------------------------------
constexpr int kMeterDefaultBlocks = 10;
constexpr int kMeterDefaultLower = 0;
constexpr int kMeterDefaultUpper = 100;
constexpr int kMeterBlockGap = 1;
constexpr int kMeterModeProgress = 2;
constexpr int kMeterBlocks = 20;      // as the main window configures it
constexpr int kMeterLower = 0;
constexpr int kMeterUpper = 512;
inline const QColor kMeterOffFill{160, 190, 220};
inline const QColor kMeterOffBorder{50, 90, 135};
inline const QColor kMeterOnFill{0, 200, 0};
inline const QColor kMeterOnBorder{0, 200, 0};

// ---- popup notifier (CTaskbarNotifier) ---------------------------------------------------------
constexpr int IDT_APPEARING = 1;
constexpr int IDT_WAITING = 2;
constexpr int IDT_DISAPPEARING = 3;
constexpr unsigned kPopupTimeToShowMs = 500;
constexpr unsigned kPopupTimeToStayMs = 6000;
constexpr unsigned kPopupTimeToHideMs = 500;
constexpr int kPopupStep = 2;
inline const QColor kPopupNormalColour{133, 146, 181};
inline const QColor kPopupHoverColour{10, 36, 106};
constexpr int kPopupFontPoints = 10;
constexpr int kPopupFontWeight = 700;
inline constexpr const char* kPopupFontFamily = "Arial";
// Left-button release on the popup: posted to the owner with both parameters 0.
constexpr unsigned WM_NOTIFIER_CLICKED = 0x0400 + 123; // 0x47B

} // namespace ui
