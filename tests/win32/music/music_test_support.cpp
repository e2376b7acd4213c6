#include "tests/win32/music/music_test_support.h"

#include "music/music_player.h"
#include "music/music_rules.h"
#include "session/show_music.h"

namespace musictest {

std::wstring Track(const std::wstring& name) {
  wchar_t unixPath[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"BRINDORA_MUSIC_FIXTURES", unixPath, 1024);
  if (n == 0 || n >= 1024) return L"";
  std::wstring path = L"Z:";
  for (const wchar_t* c = unixPath; *c; ++c) path += *c == L'/' ? L'\\' : *c;
  if (!name.empty()) path += L"\\" + name;
  return path;
}

MusicWindow::MusicWindow(SlideshowSession& s) : session(s) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrindoraMusicTestWindow";
    return RegisterClassW(&wc);
  }();
  window_ = CreateWindowExW(0, MAKEINTATOM(atom), L"music test", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  session.window = window_;
}

MusicWindow::~MusicWindow() {
  if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK MusicWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MusicWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    if (message == WM_TIMER && wParam == kFadeTimerId) {
      ++self->fadeTicks;
      FadeStep(self->session.music);
    } else if (message == MM_MCINOTIFY) {
      self->notices.push_back(wParam);
      OnMusicNotify(wParam, self->session);
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

MCIERROR RecordingPort::Send(const wchar_t* command, HWND notifyWindow) {
  const MCIERROR result = inner_.Send(command, notifyWindow);
  events.push_back({command, notifyWindow, result});
  return result;
}

void RecordingPort::Wait(DWORD milliseconds) {
  inner_.Wait(milliseconds);
  events.push_back({L"wait " + std::to_wstring(milliseconds), nullptr, 0});
}

std::vector<std::wstring> RecordingPort::Texts(size_t from) const {
  std::vector<std::wstring> texts;
  for (size_t i = from; i < events.size(); ++i) texts.push_back(events[i].text);
  return texts;
}

std::wstring Status(const wchar_t* what) {
  wchar_t answer[128] = {};
  const std::wstring command = std::wstring(L"status currentMusic ") + what;
  const MCIERROR error = mciSendStringW(command.c_str(), answer, 128, nullptr);
  return error ? L"error " + std::to_wstring(error) : std::wstring(answer);
}

}  // namespace musictest
