#pragma once
// Editing the photo and music list boxes: order, deletion, dropped files and
// shortcuts, the drop tooltip, and the horizontal extent that keeps long
// paths readable. Every operation takes the list box it works on.

#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>

#include "config/dialog_rules.h"

// Room for a dropped path and for a shortcut's target.
constexpr size_t kDroppedPathChars = 520;

inline constexpr wchar_t kDropTipText[] = L"You can also drag and drop files or folders here.";

// An item's whole text, or nothing when the index is not an item.
std::optional<std::wstring> ListItemText(HWND list, int index);

// Adds a path at the end of the list unless it is too long to be read back.
bool AddListPath(HWND list, const std::wstring& path);

void FitListExtent(HWND list);
void MoveListSelection(MoveDirection direction, HWND list);
void DeleteListSelection(HWND list);
void ClearListBox(HWND list);

// Adds every dropped path, shortcuts replaced by their targets. The caller
// keeps the drop and releases it.
void AddDroppedItems(HDROP drop, HWND list);

// `path` holds kDroppedPathChars characters. Replaces a shortcut's path with
// its target's; any other path is left as it is.
bool ResolveShortcutInPlace(wchar_t* path);

// An entry exists at the path and its size is zero (folders, empty files).
bool IsFolderOrEmpty(const wchar_t* path);

// The tooltip that tells the user about dragging; 0 when it could not be made.
LRESULT AddDropTip(HWND list);
