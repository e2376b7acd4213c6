#pragma once
// Turns the configured photo and music entries (folders or single files)
// into flat file lists. Appends only; no filter by type, no sorting.

#include <windows.h>

#include <functional>
#include <string>

#include "settings/saver_settings.h"

// Appends the files an entry stands for to `target`, walking sub-folders with
// includeSubDirs; E_INVALIDARG for an absent or empty entry. A file is
// appended exactly as written, and anything else (a folder, a root, a name with a trailing backslash, nothing
// at all) is walked as a folder. The walk gives up, keeping what it found,
// once `stopAsked` (when given) answers true; it asks before each folder and
// every few hundred names.
using WalkStopAsked = std::function<bool()>;
HRESULT ExpandEntry(MediaList& target, const wchar_t* entry, bool includeSubDirs,
                    const WalkStopAsked& stopAsked = nullptr);

// Appends the files of `folder` matching `pattern` in the platform's order,
// then, with includeSubDirs, walks each sub-folder depth first. A real folder
// reached again through a link is walked only once per call.
void ScanFolder(MediaList& target, std::wstring folder, const wchar_t* pattern, bool includeSubDirs,
                const WalkStopAsked& stopAsked = nullptr);
