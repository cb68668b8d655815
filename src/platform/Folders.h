#pragma once
// The per-user folders Kestrel uses, after the XDG base-directory rules.
#include <QString>

namespace Folders {
QString Home();
QString ConfigHome();  // $XDG_CONFIG_HOME or ~/.config
QString DataHome();    // $XDG_DATA_HOME or ~/.local/share
QString RuntimeDir();  // $XDG_RUNTIME_DIR, or the temporary folder
QString Documents();   // the user's documents folder
QString AppData();     // DataHome() + "/Morvex": the history file lives here
QString AppConfig();   // ConfigHome() + "/Morvex": the registry file lives here
QString DefaultRecordings(); // Documents() + "/Morvex"
// Creates the folder and its parents; true when it exists afterwards.
bool Ensure(const QString& path);
} // namespace Folders
