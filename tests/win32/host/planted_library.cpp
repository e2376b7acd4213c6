// Stands in for a file an attacker planted beside the program under the name
// of a platform library. Loading it leaves a marker file next to it.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring marker(path, length);
    marker += L".loaded";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) { return TRUE; }
extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordW(LPCWSTR, HWND, DWORD, void*) { return 0; }
