#pragma once
// Where the settings file lives: beside the program. Pure string rules, so the
// Win32 store and the tests share them.

#include <optional>
#include <string>
#include <string_view>

#include "settings/saver_settings.h"  // kPathChars

inline constexpr std::wstring_view kSettingsFileName = L"Brindora-Pro.ini";
// A save writes this file completely, then moves it over the settings file.
inline constexpr std::wstring_view kSettingsNewFileName = L"Brindora-Pro.new";

// The settings file in the program's folder, or nothing when the path would
// not fit a 260-character buffer (then nothing is read or written).
std::optional<std::wstring> SettingsFilePathInFolder(std::wstring_view programFolder);

// The file a save is written to before it replaces the settings file.
std::optional<std::wstring> SettingsNewFilePathInFolder(std::wstring_view programFolder);
