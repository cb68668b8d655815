#pragma once
// Numbers and texts of Kestrel's history window, its tree and its player.
#include <QColor>
#include <QSize>

#include "platform/PlatformConstants.h"

// Requests posted to the history window: wParam the record's tree item, lParam its item data.
constexpr UINT WM_HISTORY_DELETE = WM_USER + 1092;       // 0x844
constexpr UINT WM_HISTORY_SHOW_IN_FOLDER = WM_USER + 1093; // 0x845
constexpr UINT WM_HISTORY_CONTEXT_MENU = WM_USER + 1094; // 0x846

// Control ids of the history window.
constexpr int IDC_HISTORY_CLOSE = 1000;
constexpr int IDC_HISTORY_TREE = 1015;
constexpr int IDC_PLAY = 1023;
constexpr int IDC_STOP = 1024;
constexpr int IDC_POSITION = 1025;
constexpr int IDC_VOLUME = 1026;
constexpr int IDC_SPEAKER = 1027;
constexpr int IDC_PLAYER_PARENT = 1028;

// Context-menu commands.
constexpr int ID_MENU_PLAY = 8192;
constexpr int ID_MENU_STOP = 8193;
constexpr int ID_MENU_CALL = 8194;
constexpr int ID_MENU_SEND_IM = 8195;
constexpr int ID_MENU_SEPARATOR = 8196;
constexpr int ID_MENU_OPEN = 8197;
constexpr int ID_MENU_DELETE = 8198;

// The playback timer.
constexpr int ID_TIMER_PLAYBACK = 100;
constexpr int kPlaybackTimerMs = 500;
// How long opening a file may wait for the media to load (or fail) before its length is read.
constexpr int kPlayerLoadTimeoutMs = 5000;
// The media volume range and the volume slider's steps.
constexpr int kMediaVolumeMax = 1000;
constexpr int kVolumeSliderMax = 10;
constexpr int kVolumeFactor = 100;

// What the tree's items are.
enum HistoryItemKind : int {
    RootItem = 0,
    DayItem = 1,
    RecordItem = 3,
    ItemKindUnset = 4,
};

enum PlaybackState : int {
    PlaybackIdle = -1,
    PlaybackPlaying = 0,
    PlaybackPaused = 1,
    PlaybackStopped = 2,
};

// Window geometry.
constexpr QSize kHistoryMinSize{438, 162};
constexpr QSize kHistoryDefaultSize{438, 300};
constexpr int kTitleHeight = 22;          // title strip; the tree starts below it
constexpr int kTitleCorner = 22;          // corner pieces of the title bitmap
constexpr int kPlayerBarHeight = 30;      // the button-face strip at the bottom
constexpr int kPlayerRowFromBottom = 27;  // Play's top edge above the client's bottom
constexpr int kPlayLeft = 6;
constexpr int kStopGap = 3;
constexpr int kSpeakerFromRight = 110;
constexpr int kSliderGap = 2;
constexpr int kSliderHeight = 24;
inline const QColor kTitleTextColour{60, 60, 60};
inline constexpr const char* kTitleFontFamily = "Arial";

// Tree painting.
constexpr int kTreeRowHeight = 20;
constexpr int kTreeFontPixels = 15;
constexpr int kTreeIndent = 18;
constexpr int kDayFontWeight = 700;
constexpr int kRowFontWeight = 500;
inline constexpr const char* kTreeFontFamily = "Arial";
inline const QColor kTreeLineColour{235, 235, 235};
inline const QColor kRootRowColour{238, 238, 238};
inline const QColor kHighlightColour{51, 150, 253};
inline const QColor kBadgeColour{252, 140, 5};
inline const QColor kTimeColour{128, 128, 128};
inline const QColor kTimeHighlightColour{228, 228, 228};
constexpr int kRecordIndent = 16;      // record rows: separator and highlight start here
constexpr int kGlyphX = 2;             // day rows: expand glyph
constexpr int kRootTextOffset = 18;    // root row: text right of the icon
constexpr int kIconSize = 16;
constexpr int kRowButtonSize = 14;
constexpr int kDeleteButtonFromRight = 19;  // buttons span (right - 19 .. right - 5) and
constexpr int kFolderButtonFromRight = 39;  // (right - 39 .. right - 25)
constexpr int kRowButtonTop = 2;
// Row button images, record icons.
constexpr int kButtonDeleteSelected = 0;
constexpr int kButtonDeleteOther = 1;
constexpr int kButtonFolderSelected = 2;
constexpr int kButtonFolderOther = 3;
constexpr int kIconOutgoingPlayed = 0;
constexpr int kIconIncomingPlayed = 1;
constexpr int kIconOutgoingNew = 2;
constexpr int kIconIncomingNew = 3;

// Texts.
inline constexpr const char* kTitleText = "History";
inline constexpr const char* kTotalFormat = "Total %d records";
inline constexpr const char* kNewFormat = "%d new";
inline constexpr const char* kToday = "Today";
inline constexpr const char* kYesterday = "Yesterday";
inline constexpr const char* kNullName = "Null";
inline constexpr const char* kFileNotFoundFormat = "'%1' file not found!";
inline constexpr const char* kDeleteQuestion = "Are you sure you want to delete the selected item?";
inline constexpr const char* kMenuPlay = "Play";
inline constexpr const char* kMenuStop = "Stop";
inline constexpr const char* kMenuCall = "Call";
inline constexpr const char* kMenuSendIm = "Send IM";
inline constexpr const char* kMenuOpen = "Open";
inline constexpr const char* kMenuDelete = "Delete";

// The desktop's file manager on the session bus.
inline constexpr const char* kFileManagerService = "org.freedesktop.FileManager1";
inline constexpr const char* kFileManagerPath = "/org/freedesktop/FileManager1";
inline constexpr const char* kFileManagerInterface = "org.freedesktop.FileManager1";
inline constexpr const char* kFileManagerShowItems = "ShowItems";
constexpr int kFileManagerTimeoutMs = 3000;
