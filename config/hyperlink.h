#pragma once
// Turns a static text control into a link: hand cursor, underlined while the
// pointer is over it, a focus rectangle, and a click or Space opens its target
// through the shell. All state lives in window properties on the control.

#include <windows.h>

inline constexpr wchar_t kLinkOldProc[] = L"LINK_OLD_PROC";
inline constexpr wchar_t kLinkOldFont[] = L"LINK_OLD_FONT";
inline constexpr wchar_t kLinkHighlightFont[] = L"LINK_HIGHLIGHT_FONT";
inline constexpr wchar_t kLinkUrl[] = L"LINK_URL";

// `url` is not copied: it must outlive the control.
void MakeHyperlink(HWND control, const wchar_t* url);
LRESULT CALLBACK HyperlinkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// How a link opens its target; tests record the request instead.
using LinkOpener = void (*)(const wchar_t* url);
void SetLinkOpenerForTesting(LinkOpener open);
