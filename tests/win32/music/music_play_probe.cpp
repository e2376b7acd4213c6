// Plays a list of tracks through the music player in a hidden window, the
// way the running saver does, on a timed script given on the command line:
//   music_play_probe [--pause MS] [--resume MS] [--stop MS] file...
// Times count from the start of the music. Every command the player sends and
// every scripted step is printed with its time, so that a recording of the
// sound can be lined up with them. Exits 0 after the stop, 1 on bad use.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "music/music_player.h"
#include "session/navigation.h"
#include "session/show_music.h"
#include "tests/win32/music/music_test_support.h"

namespace {

DWORD startTick = 0;

void Say(const std::wstring& line) {
  const std::wstring text = std::to_wstring(GetTickCount() - startTick) + L" " + line + L"\n";
  char utf8[2048];
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8, sizeof utf8, nullptr, nullptr);
  fwrite(utf8, 1, static_cast<size_t>(n), stdout);
  fflush(stdout);
}

class PrintingPort : public MciPort {
 public:
  MCIERROR Send(const wchar_t* command, HWND notifyWindow) override {
    const MCIERROR result = SystemMciPort().Send(command, notifyWindow);
    Say(L"mci " + std::to_wstring(result) + L" " + command);
    return result;
  }
  void Wait(DWORD milliseconds) override {
    SystemMciPort().Wait(milliseconds);
    Say(L"wait " + std::to_wstring(milliseconds));
  }
};

enum Step { kPause, kResume, kStop, kSteps };
constexpr const wchar_t* kStepNames[kSteps] = {L"pause", L"resume", L"stop"};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  auto session = std::make_unique<SlideshowSession>();
  DWORD due[kSteps] = {};
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    int step = kSteps;
    for (int s = 0; s < kSteps; ++s)
      if (arg == std::wstring(L"--") + kStepNames[s]) step = s;
    if (step == kSteps) {
      session->music.musicFiles.Append(arg);
    } else {
      if (++i == argc) return 1;
      due[step] = static_cast<DWORD>(wcstoul(argv[i], nullptr, 10));
    }
  }
  if (!due[kStop]) return 1;

  musictest::MusicWindow window(*session);
  if (!window.get()) return 1;
  PrintingPort port;
  ScopedMciPort route(port);
  session->sessionInitialised = true;

  startTick = GetTickCount();
  Say(L"start");
  const HRESULT result = StartMusic(*session);
  Say(L"started " + std::to_wstring(static_cast<unsigned long>(result)));

  bool done[kSteps] = {};
  while (!done[kStop]) {
    for (int s = 0; s < kSteps; ++s) {
      if (done[s] || !due[s] || GetTickCount() - startTick < due[s]) continue;
      done[s] = true;
      Say(std::wstring(L"step ") + kStepNames[s]);
      if (s == kPause) PauseShow(*session);
      if (s == kResume) ResumeShow(*session);
      if (s == kStop) StopMusic(*session);
    }
    // The saver's own thread: its window's messages, checked every 10 ms.
    musictest::PumpFor(10);
  }
  Say(L"end");
  return 0;
}
