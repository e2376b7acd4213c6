// Process entry: skip the program's own name on the command line and serve the
// one mode the rest asks for.
#include <windows.h>

#include "host/command_line.h"
#include "host/saver_host.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return SaverMain(GetModuleHandleW(nullptr), SkipProgramName(GetCommandLineW()));
}
