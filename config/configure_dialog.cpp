#include "host/exports.h"

// Placeholder until the configuration dialog exists: no message is handled.
BOOL WINAPI ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
