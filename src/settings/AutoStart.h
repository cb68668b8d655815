#pragma once
// Starting Kestrel when the user logs on: the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/Morvex.desktop, whose Exec is the quoted path of the running program.
#include <QString>

// 1 when the entry was written or already exists (an existing entry is left as it is), 0 on failure.
int EnableAutoStart();
// 1 when the entry was deleted, 0 when there was none or it could not be deleted.
int DisableAutoStart();

// The entry's file.
QString AutoStartEntryPath();
