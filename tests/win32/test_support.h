#pragma once
// What the tier-2 tests share: one window for tests that need a window, one
// message pump, one colour tolerance and the UTF-16 file bytes. Scratch
// folders are in test_folders.h.

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

// A colour as three 0..255 channels; converts to and from 0x00RRGGBB.
struct Rgb {
  int r, g, b;
  constexpr Rgb(int red, int green, int blue) : r(red), g(green), b(blue) {}
  constexpr Rgb(uint32_t packed)  // NOLINT: 0x00RRGGBB reads as a colour
      : r(static_cast<int>((packed >> 16) & 0xFF)),
        g(static_cast<int>((packed >> 8) & 0xFF)),
        b(static_cast<int>(packed & 0xFF)) {}
  constexpr operator uint32_t() const {  // NOLINT
    return (static_cast<uint32_t>(r & 0xFF) << 16) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           static_cast<uint32_t>(b & 0xFF);
  }
};

inline int Red(uint32_t rgb) { return Rgb(rgb).r; }
inline int Green(uint32_t rgb) { return Rgb(rgb).g; }
inline int Blue(uint32_t rgb) { return Rgb(rgb).b; }

// Every channel within `tolerance` levels of 0..255; each caller says why its
// tolerance is what it is.
inline bool Near(uint32_t actual, Rgb expected, int tolerance) {
  const Rgb got(actual);
  return std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
         std::abs(got.b - expected.b) <= tolerance;
}

// Dispatches what is queued for this thread's windows, so painting and posted
// notices have happened before the test looks.
inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Pumps until `done` holds or `timeoutMs` passes; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    Pump();
  }
  return true;
}

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// A window for tests: a full-screen top-level one (full-screen devices), a
// preview-like child of a given client size inside a parent of this process,
// or a small hidden one (a DC to be compatible with). Like the saver window
// its background is never erased, so nothing paints over a presented frame.
class TestWindow {
 public:
  static TestWindow FullScreen() {
    TestWindow w;
    w.window_ = CreateWindowExW(WS_EX_TOPMOST, ClassName(), L"Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    Pump();
    return w;
  }
  static TestWindow Child(int width, int height) {
    TestWindow w;
    w.parent_ = CreateWindowExW(0, ClassName(), L"Display Properties", WS_POPUP | WS_VISIBLE, 0, 0, width + 40,
                                height + 40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    w.window_ = CreateWindowExW(0, ClassName(), L"Preview", WS_CHILD | WS_VISIBLE, 20, 20, width, height, w.parent_,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    Pump();
    return w;
  }
  // Hidden: the staging surface is made compatible with it.
  static TestWindow Hidden() {
    TestWindow w;
    w.window_ = CreateWindowExW(0, ClassName(), L"photo test", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    return w;
  }
  TestWindow(TestWindow&& other) noexcept
      : parent_(std::exchange(other.parent_, nullptr)), window_(std::exchange(other.window_, nullptr)) {}
  TestWindow& operator=(TestWindow&&) = delete;
  ~TestWindow() {
    if (window_) DestroyWindow(window_);
    if (parent_) DestroyWindow(parent_);
    Pump();
  }
  HWND get() const { return window_; }

 private:
  TestWindow() = default;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT) {
      ValidateRect(window, nullptr);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  static const wchar_t* ClassName() {
    static const bool registered = [] {
      WNDCLASSW wc = {};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"BrindoraTestWindow";
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return L"BrindoraTestWindow";
  }
  HWND parent_ = nullptr;
  HWND window_ = nullptr;
};

// The bytes of a UTF-16LE file with its byte-order mark, and back.
inline std::string Utf16LeWithBom(std::wstring_view text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

inline std::wstring DecodeUtf16Le(std::string_view bytes) {
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<wchar_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
  return text;
}
