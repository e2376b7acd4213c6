#include "host/configure_mode.h"

#include "config/configure_dialog.h"
#include "resources/resource_ids.h"

BOOL WINAPI RegisterDialogClasses(HANDLE) { return TRUE; }

INT_PTR ShowConfigureDialog(HWND parent) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterDialogClasses(instance)) return FALSE;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONFIGURE), parent, ScreenSaverConfigureDialog, 0);
}
