// The saver window's ending rules and password hooks, driven with real
// messages on a real window of the saver's own procedure.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/saver_host.h"
#include "host/saver_window.h"
#include "host/system_library.h"
#include "session/slideshow_session.h"

namespace {

int verifyCalls = 0;
BOOL verifyAnswer = FALSE;
BOOL WINAPI FakeVerifier(HWND) {
  ++verifyCalls;
  return verifyAnswer;
}

// Restores every process-wide value of the host after each test.
class SaverWindow : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SaverWindowTest";
    RegisterClassW(&windowClass);
    state_.session = &session_;
    SetCursorPos(200, 200);
  }
  void TearDown() override {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    DrainQuit();
    isWin9x = FALSE;
    verifyCalls = 0;
  }
  HWND Create(HWND parent = nullptr) {
    DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
    window_ = CreateWindowExW(0, L"SaverWindowTest", L"Screen Saver", style, 0, 0, 100, 100, parent, nullptr,
                              GetModuleHandleW(nullptr), &state_);
    return window_;
  }
  // Whether a WM_CLOSE is waiting for the window (taken off the queue).
  bool ClosePosted() {
    MSG message;
    return PeekMessageW(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
  }
  static void DrainQuit() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(window_, message, wParam, lParam);
  }
  // What RunSaver hands the window; its show is never started here.
  SlideshowSession session_;
  SaverWindowState state_;
  HWND window_ = nullptr;
};

TEST_F(SaverWindow, KeysButtonsAndDeactivationClose) {
  ASSERT_TRUE(Create());
  const UINT closing[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  for (UINT message : closing) {
    Send(message);
    EXPECT_TRUE(ClosePosted()) << "message " << message;
  }
  Send(WM_ACTIVATEAPP, TRUE);
  EXPECT_FALSE(ClosePosted());
  Send(WM_ACTIVATEAPP, FALSE);
  EXPECT_TRUE(ClosePosted());
  Send(WM_SHOWWINDOW, TRUE);
  EXPECT_FALSE(ClosePosted());
  EXPECT_EQ(Send(WM_SETCURSOR), 1);
}

TEST_F(SaverWindow, MouseMustMoveMoreThanFourPixelsFromWhereItStarted) {
  ASSERT_TRUE(Create());
  EXPECT_EQ(state_.mouseOrigin.x, 200);
  EXPECT_EQ(state_.mouseOrigin.y, 200);

  // Small steps add up against the origin, not against the previous step.
  SetCursorPos(202, 202);
  Send(WM_MOUSEMOVE);
  EXPECT_FALSE(ClosePosted());
  SetCursorPos(200, 204);
  Send(WM_MOUSEMOVE);
  EXPECT_FALSE(ClosePosted());
  SetCursorPos(203, 202);
  Send(WM_MOUSEMOVE);
  EXPECT_TRUE(ClosePosted());
  EXPECT_EQ(state_.mouseOrigin.x, 203);
  EXPECT_EQ(state_.mouseOrigin.y, 202);
}

TEST_F(SaverWindow, SystemCommandsInFullScreen) {
  ASSERT_TRUE(Create());
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_NEXTWINDOW), 0);
  EXPECT_FALSE(ClosePosted());
  Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  EXPECT_TRUE(ClosePosted());
}

TEST_F(SaverWindow, PreviewIgnoresInputAndPassesHelpToItsParent) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(parent);
  state_.previewMode = TRUE;
  ASSERT_TRUE(Create(parent));
  SetCursorPos(400, 400);
  for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_MOUSEMOVE}) Send(message);
  Send(WM_ACTIVATEAPP, FALSE);
  EXPECT_FALSE(ClosePosted());

  EXPECT_EQ(Send(WM_CONTEXTMENU, 0, MAKELPARAM(5, 6)), 1);
  MSG forwarded;
  ASSERT_TRUE(PeekMessageW(&forwarded, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
  EXPECT_EQ(forwarded.wParam, reinterpret_cast<WPARAM>(parent));
  EXPECT_EQ(forwarded.lParam, MAKELPARAM(5, 6));
  DestroyWindow(parent);
  window_ = nullptr;
}

TEST_F(SaverWindow, OffThe9xPlatformACloseAlwaysCloses) {
  ASSERT_TRUE(Create());
  state_.verifyPasswordProc = FakeVerifier;  // present but never consulted
  Send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(verifyCalls, 0);
}

TEST_F(SaverWindow, RefusedPasswordKeepsTheSaverAndIsNotAskedAgainAtOnce) {
  isWin9x = TRUE;
  state_.verifyPasswordProc = FakeVerifier;
  verifyAnswer = FALSE;
  ASSERT_TRUE(Create());

  SetCursorPos(300, 300);
  EXPECT_EQ(Send(WM_CLOSE), 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(verifyCalls, 1);
  EXPECT_FALSE(state_.closeAllowed);
  EXPECT_EQ(state_.mouseOrigin.x, 300);  // movement is measured afresh

  Send(WM_CLOSE);
  EXPECT_EQ(verifyCalls, 1) << "asked again within 200 ms";
  EXPECT_TRUE(IsWindow(window_));

  Sleep(250);
  verifyAnswer = TRUE;
  Send(WM_CLOSE);
  EXPECT_EQ(verifyCalls, 2);
  EXPECT_TRUE(state_.closeAllowed);
  EXPECT_FALSE(IsWindow(window_));
}

TEST_F(SaverWindow, AutoPlayIsCancelledOnlyWhenAPasswordIsInForce) {
  isWin9x = TRUE;
  state_.autoPlayMessage = RegisterWindowMessageW(L"QueryCancelAutoPlay");
  ASSERT_TRUE(Create());
  EXPECT_EQ(Send(state_.autoPlayMessage), 0);
  EXPECT_TRUE(ClosePosted());
  state_.verifyPasswordProc = FakeVerifier;
  EXPECT_EQ(Send(state_.autoPlayMessage), 1);
  EXPECT_TRUE(ClosePosted());
}

// A file planted beside the program under a platform library's name must
// never be loaded in its place.
class PlantedLibrary : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    folder_.assign(self, length);
    folder_.resize(folder_.find_last_of(L'\\') + 1);
    std::string built = PLANTED_LIBRARY;
    source_ = folder_ + L"..\\host\\" + std::wstring(built.begin(), built.end());
  }
  void TearDown() override {
    for (const std::wstring& path : planted_) {
      DeleteFileW(path.c_str());
      DeleteFileW((path + L".loaded").c_str());
    }
  }
  std::wstring Plant(const wchar_t* name) {
    std::wstring path = folder_ + name;
    EXPECT_TRUE(CopyFileW(source_.c_str(), path.c_str(), FALSE)) << "error " << GetLastError();
    planted_.push_back(path);
    return path;
  }
  static bool Loaded(const std::wstring& planted) {
    return GetFileAttributesW((planted + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::wstring folder_, source_;
  std::vector<std::wstring> planted_;
};

TEST_F(PlantedLibrary, PasswordCheckLoadsOnlyFromTheSystemFolder) {
  std::wstring planted = Plant(L"PASSWORD.CPL");
  // The bare name would have found it: the test can tell.
  HMODULE bare = LoadLibraryW(L"PASSWORD.CPL");
  ASSERT_TRUE(bare) << "the planted library is not reachable by its bare name";
  FreeLibrary(bare);
  ASSERT_TRUE(Loaded(planted));
  DeleteFileW((planted + L".loaded").c_str());

  HKEY desktop;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &desktop, nullptr),
            ERROR_SUCCESS);
  DWORD use = 1;
  RegSetValueExW(desktop, L"ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&use), sizeof(use));
  isWin9x = TRUE;
  SaverWindowState state;
  LoadPasswordVerifier(state);
  EXPECT_EQ(state.verifyPasswordProc, nullptr);
  EXPECT_FALSE(Loaded(planted));
  UnloadPasswordVerifier(state);
  isWin9x = FALSE;
  RegDeleteValueW(desktop, L"ScreenSaveUsePassword");
  RegCloseKey(desktop);
}

TEST_F(PlantedLibrary, PasswordChangeUsesTheSystemMpr) {
  std::wstring planted = Plant(L"MPR.DLL");
  HMODULE mpr = LoadSystemLibrary(L"MPR.DLL");
  ASSERT_TRUE(mpr);
  wchar_t path[MAX_PATH], system[MAX_PATH];
  GetModuleFileNameW(mpr, path, MAX_PATH);
  UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(path, system, systemLength), 0);
  FreeLibrary(mpr);

  isWin9x = TRUE;
  ChangePassword(nullptr);
  isWin9x = FALSE;
  EXPECT_FALSE(Loaded(planted));
}

}  // namespace
