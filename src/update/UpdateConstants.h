#pragma once
// The update check: where Kestrel looks for a newer release, what it expects to find there, and
// what it tells the user.

// Kestrel's web site (ending in "/"); the version file and the upgrade page live under it.
inline constexpr const char* kUpdateSiteAddress = "https://www.kestrel-recorder.net/";
inline constexpr const char* kVersionFileName = "ver.ini";
inline constexpr const char* kUpgradePageName = "upgrade.htm";
// The whole content of the version file while no newer release exists.
inline constexpr const char* kExpectedVersion = "3.9.9";
// User agent of the request.
inline constexpr const char* kUpdateAgent = "Update";

// The check runs once, this long after start-up.
constexpr int kUpdateDelayMs = 360000;
// A request that stalls longer than this ends the check.
constexpr int kUpdateTransferTimeoutMs = 60000;
// Longest URL the check requests; at most this many bytes of the version file are read.
constexpr int kMaxUpdateUrlLength = 1024;
constexpr int kMaxVersionFileBytes = 4096;

// Results of the check.
enum UpdateResult : int {
    UpdateNone = 0,         // the file holds the expected version
    UpdateNoConnection = 1, // no internet handle, or no network to reach the site
    UpdateCannotOpen = 2,   // the file cannot be fetched
    UpdateBadContent = 3,   // nothing read, empty, or an HTML page
    UpdateAvailable = 8,    // the file holds another version
};

inline constexpr const char* kUpdateCaption = "Kestrel Update";
inline constexpr const char* kUpdateText = "New version is available! Click 'OK' to update Now!";
