#pragma once
// Turns the configured photo and music entries (folders or single files)
// into flat file lists. Appends only; no filter by type, no sorting.

#include <windows.h>

#include <string>

#include "settings/saver_settings.h"

// Appends the files an entry stands for to `target`, walking sub-folders with
// includeSubDirs; E_INVALIDARG for an absent or empty entry. A file is
// appended exactly as written, and anything else (a folder, a root, a name with a trailing backslash, nothing
// at all) is walked as a folder.
HRESULT ExpandEntry(MediaList& target, const wchar_t* entry, bool includeSubDirs);

// Appends the files of `folder` matching `pattern` in the platform's order,
// then, with includeSubDirs, walks each sub-folder depth first. A real folder
// reached again through a link is walked only once per call.
void ScanFolder(MediaList& target, std::wstring folder, const wchar_t* pattern, bool includeSubDirs);
