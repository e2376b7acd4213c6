#include "host/configure_mode.h"

#include <cstdint>

#include "host/exports.h"
#include "resources/resource_ids.h"

namespace {

// Leading decimal digits; no sign, no hexadecimal.
HWND ParseWindowHandle(const wchar_t* text) {
  uintptr_t value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) value = value * 10 + static_cast<uintptr_t>(*text - L'0');
  return reinterpret_cast<HWND>(value);
}

}  // namespace

BOOL WINAPI RegisterDialogClasses(HANDLE) { return TRUE; }

HWND ConfigureParent(const wchar_t* afterLetter) {
  if (*afterLetter == L':') {
    HWND named = ParseWindowHandle(afterLetter + 1);
    if (named && IsWindow(named)) return named;
  }
  return GetForegroundWindow();
}

INT_PTR ShowConfigureDialog(HWND parent) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterDialogClasses(instance)) return FALSE;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONFIGURE), parent, ScreenSaverConfigureDialog, 0);
}
