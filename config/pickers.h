#pragma once
// The two pickers behind "Add Folder" and "Add File": the shell's folder
// browser, and the multi-select open-file dialog whose name buffer grows with
// the selection while it is open.

#include <windows.h>

#include <commdlg.h>

#include <cstdint>
#include <memory>
#include <optional>

// Filters: description and pattern pairs, the whole ended by an empty string.
// The photo filter is made as the picker opens, from the codecs installed
// then (PhotoPickerFilter).
inline constexpr wchar_t kAllFilesFilter[] = L"All Files\0*.*\0";

constexpr uint32_t kInitialNameChars = 1024;

// The open-file request and the name buffer it points to, kept together so
// the hook can swap the buffer for a larger one.
struct FilePickRequest {
  OPENFILENAMEW ofn;
  std::unique_ptr<wchar_t[]> names;
};

// What the user picked: the buffer and its size in characters.
struct PickedNames {
  std::unique_ptr<wchar_t[]> buffer;
  uint32_t size = 0;
};

// `path` holds kPathChars characters. Non-zero when a file-system folder was chosen.
BOOL PickFolder(HWND owner, wchar_t* path);
void AddPickedFolder(HWND list);

std::optional<PickedNames> PickFiles(HWND owner, const wchar_t* filter);
UINT_PTR CALLBACK PickFilesHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
void AddPickedFiles(HWND list, const wchar_t* filter);

// A zeroed buffer of `chars` characters, or null when it cannot be had.
using NameAllocator = std::unique_ptr<wchar_t[]> (*)(size_t chars);
std::unique_ptr<wchar_t[]> AllocateNames(size_t chars);

// Makes the request's buffer hold a selection whose typed names and folder
// are this long (with terminators). When the larger buffer cannot be had the
// old buffer and its size stay as they were.
void GrowNameBuffer(FilePickRequest& request, int specLength, int folderLength, NameAllocator allocate = AllocateNames);
