#pragma once
// Scratch folders for tier-2 tests: a fresh name under the temporary folder,
// and removal of a whole tree, long paths included.

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// A name no other test of this run or of a parallel run uses.
inline std::wstring UniqueTempFolder(std::wstring_view prefix) {
  static int serial = 0;
  wchar_t temp[MAX_PATH];
  if (GetTempPathW(MAX_PATH, temp) == 0) return L"";
  return std::wstring(temp) + std::wstring(prefix) + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++serial);
}

inline void RemoveTree(const std::wstring& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(L"\\\\?\\" + folder, ignored);
}
