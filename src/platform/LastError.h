#pragma once
// The calling thread's last error code, set by operations that may want to tell a caller why
// they refused.
#include "platform/PlatformConstants.h"

void SetLastError(DWORD code);
DWORD GetLastError();
