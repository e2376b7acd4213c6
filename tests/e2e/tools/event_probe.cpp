// Reports which of the saver's named events another process can open.
#include <windows.h>

#include <cstdio>

int main() {
  const wchar_t* names[] = {L"BrindoraPro_LoadPhoto", L"BrindoraPro_LoadPhotoComplete", L"BrindoraPro_StopThLoadPhoto",
                            L"BrindoraPro_StopThRefresh"};
  for (const wchar_t* name : names) {
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name);
    std::printf("%ls=%d\n", name, event ? 1 : 0);
    if (event) CloseHandle(event);
  }
  return 0;
}
