#pragma once
// The one road from the music player to the platform's multimedia command
// strings. Production sends through mciSendStringW; a test may route the
// player through a recorder of its own for as long as a ScopedMciPort lives.

#include <windows.h>
// after windows.h, whose types it uses
#include <mmsystem.h>

class MciPort {
 public:
  virtual ~MciPort() = default;
  // Sends one command without a return buffer; 0 means success. The
  // notification of a command that says "notify" goes to notifyWindow.
  virtual MCIERROR Send(const wchar_t* command, HWND notifyWindow) = 0;
  // The player's deliberate pauses between attempts. They go through the port
  // so that a recording shows them in sequence with the commands.
  virtual void Wait(DWORD milliseconds) = 0;
};

// mciSendStringW and Sleep.
MciPort& SystemMciPort();
// The port the player uses now.
MciPort& CurrentMciPort();

class ScopedMciPort {
 public:
  explicit ScopedMciPort(MciPort& port);
  ~ScopedMciPort();
  ScopedMciPort(const ScopedMciPort&) = delete;
  ScopedMciPort& operator=(const ScopedMciPort&) = delete;

 private:
  MciPort* previous_;
};
