#pragma once
// Reading a screen saver's command line. Pure: the Win32 host validates the
// window handles and acts on the result.

#include <cstdint>
#include <string_view>

// The part of the process command line after the program's own name and the
// blanks that follow it.
std::wstring_view SkipProgramName(std::wstring_view commandLine);

// The value of the leading decimal digits; no sign, no hexadecimal.
uintptr_t ParseWindowHandle(std::wstring_view text);

enum class SaverMode {
  ConfigureNoParent,  // empty command line
  Configure,          // c, with `window` from ":<handle>" or 0
  FullScreen,         // s
  Preview,            // p or l with `window`
  ChangePassword,     // a with `window`
  Invalid,            // anything else: exit with -1
};

struct SaverCommand {
  SaverMode mode;
  uintptr_t window;  // 0 when none was given
};

// Only the first letter of the first option counts; nothing after it is read.
SaverCommand ParseSaverCommand(std::wstring_view tail);
