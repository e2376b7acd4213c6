#include "settings/settings_path.h"

namespace {

std::optional<std::wstring> FileInFolder(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  // A program in a drive's root has a folder that already ends in a backslash.
  if (path.empty() || path.back() != L'\\') path += L'\\';
  path += name;
  // The limit counts the folder, a backslash, the name and the terminator,
  // whether or not the folder brought its own backslash.
  if (folder.size() + 1 + name.size() + 1 > kPathChars) return std::nullopt;
  return path;
}

}  // namespace

std::optional<std::wstring> SettingsFilePathInFolder(std::wstring_view programFolder) {
  return FileInFolder(programFolder, kSettingsFileName);
}

std::optional<std::wstring> SettingsNewFilePathInFolder(std::wstring_view programFolder) {
  return FileInFolder(programFolder, kSettingsNewFileName);
}
