#include "host/system_library.h"

#include <string>

#include "settings/saver_settings.h"  // kPathChars

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[kPathChars];
  UINT length = GetSystemDirectoryW(folder, kPathChars);
  if (length == 0 || length >= kPathChars) return nullptr;
  std::wstring path(folder, length);
  path += L'\\';
  path += name;
  return LoadLibraryW(path.c_str());
}
