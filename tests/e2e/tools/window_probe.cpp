// How quickly the running saver's window thread answers: finds the full-screen
// saver window and sends it WM_NULL every 20 ms for the given seconds, then
// prints the slowest round trip. A window thread stuck in a wait shows here.
//   window_probe <seconds>   ->   "samples=N max_ms=M" (max_ms=-1: no window)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? _wtof(argv[1]) : 1.0;
  HWND window = FindWindowW(L"WindowsScreenSaverClass", L"Screen Saver");
  if (!window) {
    std::printf("samples=0 max_ms=-1\n");
    return 1;
  }
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  double slowest = 0.0;
  int samples = 0;
  for (;;) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    DWORD_PTR answer = 0;
    const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
    QueryPerformanceCounter(&after);
    if (!answered && !IsWindow(window)) break;
    const double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / frequency.QuadPart;
    if (ms > slowest) slowest = ms;
    ++samples;
    QueryPerformanceCounter(&now);
    if (static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart >= seconds) break;
    Sleep(20);
  }
  std::printf("samples=%d max_ms=%.1f\n", samples, slowest);
  return 0;
}
