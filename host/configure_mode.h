#pragma once
// The configuration-dialog mode of the saver: "/c", "/c:<window>" and an
// empty command line.

#include <windows.h>

// The place to register extra window classes for the dialog; there are none.
BOOL WINAPI RegisterDialogClasses(HANDLE instance);

// Shows dialog 2003 modally; its result is the id of the closing button.
INT_PTR ShowConfigureDialog(HWND parent);
