// Entry of every tier-2 test executable under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/settings_store.h"

namespace {

// A message box would wait for a click that never comes; a test that expects
// one installs its own recorder.
int FailOnMessageBox(const wchar_t*, const wchar_t*) {
  ADD_FAILURE() << "unexpected graphics-capability message box";
  return IDOK;
}

}  // namespace

int main(int argc, char** argv) {
  // A failing test must report, never wait on an error box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetCapsMessageBoxForTesting(FailOnMessageBox);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
