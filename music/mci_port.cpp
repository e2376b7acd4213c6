#include "music/mci_port.h"

namespace {

class SystemPort final : public MciPort {
 public:
  MCIERROR Send(const wchar_t* command, HWND notifyWindow) override {
    return mciSendStringW(command, nullptr, 0, notifyWindow);
  }
  void Wait(DWORD milliseconds) override { Sleep(milliseconds); }
};

SystemPort systemPort;
// Touched only on the window thread, like the player itself.
MciPort* currentPort = &systemPort;

}  // namespace

MciPort& SystemMciPort() { return systemPort; }
MciPort& CurrentMciPort() { return *currentPort; }

ScopedMciPort::ScopedMciPort(MciPort& port) : previous_(currentPort) { currentPort = &port; }
ScopedMciPort::~ScopedMciPort() { currentPort = previous_; }
