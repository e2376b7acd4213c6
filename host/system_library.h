#pragma once

#include <windows.h>

// Loads a platform library from the system folder only. A bare name would
// also search the program's folder and the current directory, where a
// planted file of that name would be run.
HMODULE LoadSystemLibrary(const wchar_t* name);
