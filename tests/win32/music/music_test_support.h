#pragma once
// What the music tests share: a hidden window that forwards the fade timer and
// the MCI notifications to the player the way the saver window does, a port
// that records every command on its way to the real MCI, and the generated
// tracks seen from Wine.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "music/mci_port.h"
#include "session/slideshow_session.h"
#include "tests/win32/test_support.h"

namespace musictest {

// The fixture folder (made by make_music_fixtures.sh) as a Windows path
// through Wine's Z: drive, followed by `name`; empty when not set.
std::wstring Track(const std::wstring& name = L"");

// A hidden window whose procedure hands WM_TIMER 105 to FadeStep and
// MM_MCINOTIFY to OnMusicNotify for its session, and counts what it saw.
class MusicWindow {
 public:
  explicit MusicWindow(SlideshowSession& session);
  MusicWindow(const MusicWindow&) = delete;
  MusicWindow& operator=(const MusicWindow&) = delete;
  ~MusicWindow();
  HWND get() const { return window_; }

  SlideshowSession& session;
  int fadeTicks = 0;
  std::vector<WPARAM> notices;  // notification codes, in arrival order

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
};

// One thing the player did through its port.
struct PortEvent {
  std::wstring text;  // the command, or "wait <ms>"
  HWND notifyWindow = nullptr;
  MCIERROR result = 0;
  bool operator==(const PortEvent&) const = default;
};

// Passes every command and wait on to `inner` and records it.
class RecordingPort : public MciPort {
 public:
  explicit RecordingPort(MciPort& inner = SystemMciPort()) : inner_(inner) {}
  MCIERROR Send(const wchar_t* command, HWND notifyWindow) override;
  void Wait(DWORD milliseconds) override;

  std::vector<PortEvent> events;
  // Just the texts, optionally only those from position `from` on.
  std::vector<std::wstring> Texts(size_t from = 0) const;

 private:
  MciPort& inner_;
};

// The shared pump, under the names these tests use.
using ::PumpFor;
using ::PumpUntil;

// The real device's answer to "status currentMusic <what>", or "error <n>".
std::wstring Status(const wchar_t* what);

}  // namespace musictest
