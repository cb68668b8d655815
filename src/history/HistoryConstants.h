#pragma once
// Names of Kestrel's history file and of its XML elements.

// The history file inside Folders::AppData().
inline constexpr const char* kHistoryFileName = "record.xml";

// Element names.
inline constexpr const char* kXmlRoot = "morvex";
inline constexpr const char* kXmlList = "list";
inline constexpr const char* kXmlEntryPrefix = "rec"; // + the UTC time "%Y%m%d%H%M%S" of the Add
inline constexpr const char* kXmlName = "name";
inline constexpr const char* kXmlTime = "time";
inline constexpr const char* kXmlFile = "file";
inline constexpr const char* kXmlType = "type";
inline constexpr const char* kXmlDuration = "duration";
inline constexpr const char* kXmlNew = "new";
inline constexpr const char* kXmlNote = "note";

// Line breaks in a note are stored as this token.
inline constexpr const char* kNoteLineBreakToken = "alinedd";

// The declaration a new history file begins with.
inline constexpr const char* kXmlDeclVersion = "1.0";
inline constexpr const char* kXmlDeclEncoding = "UTF-8";
inline constexpr const char* kXmlDeclStandalone = "no";

// Direction of a recorded call.
enum RecordType : int {
    RecordIncoming = 1,
    RecordOutgoing = 2,
    RecordUnspecified = 3,
};
