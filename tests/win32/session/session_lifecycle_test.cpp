// Start and stop of a real session on a real window under Wine: threads,
// named events, the first photo, and the unwinding of a failed start.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/saver_window.h"
#include "session/navigation.h"
#include "session/screen_saver_proc.h"
#include "session/session_lifecycle.h"
#include "session/session_start.h"
#include "session/show_music.h"
#include "settings/settings_store.h"
#include "tests/win32/test_folders.h"

namespace {

constexpr wchar_t kEvents[][32] = {L"BrindoraPro_LoadPhoto", L"BrindoraPro_LoadPhotoComplete",
                                   L"BrindoraPro_StopThLoadPhoto", L"BrindoraPro_StopThRefresh"};

bool EventExists(const wchar_t* name) {
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name);
  if (event) CloseHandle(event);
  return event != nullptr;
}

// A folder holding one photo: a 64 x 64 BMP, which GDI+ decodes quickly.
class PhotoFolder {
 public:
  PhotoFolder() {
    folder_ = UniqueTempFolder(L"brindora-session-");
    CreateDirectoryW(folder_.c_str(), nullptr);
    WriteBitmap(folder_ + L"\\photo.bmp");
  }
  ~PhotoFolder() { RemoveTree(folder_); }
  const std::wstring& path() const { return folder_; }

 private:
  static void WriteBitmap(const std::wstring& path) {
    constexpr int side = 64;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = side;
    info.biHeight = side;
    info.biPlanes = 1;
    info.biBitCount = 32;
    const DWORD pixels = side * side * 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + pixels;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    bytes.append(pixels, '\x80');
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(out);
  }
  std::wstring folder_;
};

class SessionLifecycle : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SessionLifecycleTest";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, L"SessionLifecycleTest", L"Preview", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window_);
    ResetSettings();
    slideshowSession.sessionSettings = saverSettings;
    slideshowSession.photoFiles.Clear();
    slideshowSession.photoIndex = 0;
  }
  void TearDown() override {
    StopSession(slideshowSession);
    for (HANDLE blocker : blockers_) CloseHandle(blocker);
    DestroyWindow(window_);
  }
  // A mutex under an event's name makes creating that event fail.
  void Block(const wchar_t* name) { blockers_.push_back(CreateMutexW(nullptr, FALSE, name)); }

  static void ExpectNothingLeft() {
    SlideshowSession& s = slideshowSession;
    EXPECT_FALSE(s.sessionInitialised);
    EXPECT_FALSE(s.loaderThread);
    EXPECT_FALSE(s.renderThread);
    EXPECT_FALSE(s.loadPhotoEvent || s.loadCompleteEvent || s.stopLoaderEvent || s.stopRenderEvent || s.repaintEvent);
    EXPECT_FALSE(s.stagingGdiplus.graphics || s.stagingGdiplus.token);
    EXPECT_FALSE(s.renderer.device);
    EXPECT_FALSE(s.stagingLock) << "a lock left on the staging texture holds the device";
    EXPECT_FALSE(s.firstFrame);
    EXPECT_FALSE(s.fineTimer.active()) << "the 1 ms timer period was not given back";
    EXPECT_FALSE(s.workersLeftRunning);
  }

  HWND window_ = nullptr;
  std::vector<HANDLE> blockers_;
};

TEST_F(SessionLifecycle, StartAsksForTheFirstPhotoAndStopReleasesEverything) {
  PhotoFolder photos;
  slideshowSession.photoFiles.Append(photos.path() + L"\\photo.bmp");

  ASSERT_EQ(StartSession(false, window_, slideshowSession), S_OK);
  SlideshowSession& s = slideshowSession;
  EXPECT_TRUE(s.sessionInitialised);
  EXPECT_TRUE(s.firstFrame);
  EXPECT_FALSE(s.renderer.fullScreen);
  EXPECT_EQ(s.frameInterval, s.renderer.frameInterval);
  EXPECT_TRUE(s.fineTimer.active());
  EXPECT_EQ(WaitForSingleObject(s.loadCompleteEvent.get(), 10000), WAIT_OBJECT_0) << "the first photo never came";
  SetEvent(s.loadCompleteEvent.get());
  EXPECT_EQ(s.photoIndex, 0u) << "one photo: the loader wrapped past it";
  EXPECT_EQ(GetThreadPriority(s.loaderThread.get()), THREAD_PRIORITY_LOWEST);
  EXPECT_EQ(GetThreadPriority(s.renderThread.get()), THREAD_PRIORITY_TIME_CRITICAL);
  for (const wchar_t* name : kEvents) EXPECT_TRUE(EventExists(name)) << name;
  EXPECT_EQ(StartSession(false, window_, slideshowSession), S_OK) << "a second start changes nothing";

  HANDLE loader = nullptr;
  DuplicateHandle(GetCurrentProcess(), s.loaderThread.get(), GetCurrentProcess(), &loader, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  EXPECT_EQ(StopSession(slideshowSession), S_OK);
  EXPECT_EQ(WaitForSingleObject(loader, 0), WAIT_OBJECT_0) << "the loader still runs";
  CloseHandle(loader);
  ExpectNothingLeft();
  for (const wchar_t* name : kEvents) EXPECT_FALSE(EventExists(name)) << name;
  EXPECT_EQ(StopSession(slideshowSession), S_OK);
}

TEST_F(SessionLifecycle, TheStartNeverWaitsForASlowFirstPhoto) {
  // Thirty missing files first: the loader spends seconds on them.
  for (int n = 0; n < 30; ++n)
    slideshowSession.photoFiles.Append(L"Z:\\nowhere\\missing" + std::to_wstring(n) + L".jpg");
  PhotoFolder photos;
  slideshowSession.photoFiles.Append(photos.path() + L"\\photo.bmp");
  const DWORD start = GetTickCount();
  ASSERT_EQ(StartSession(false, window_, slideshowSession), S_OK);
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(WaitForSingleObject(slideshowSession.loadCompleteEvent.get(), 0), WAIT_TIMEOUT) << "the start waited";
  EXPECT_EQ(WaitForSingleObject(slideshowSession.loadCompleteEvent.get(), 20000), WAIT_OBJECT_0);
  EXPECT_EQ(slideshowSession.photoFiles.Count(), 1u) << "the missing files were dropped";
  EXPECT_EQ(StopSession(slideshowSession), S_OK);
  ExpectNothingLeft();
}

TEST_F(SessionLifecycle, PauseRepaintAndResumeInATightLoopKeepTheShowDrawing) {
  // Repaints while paused are drawn by the render thread on request, never
  // by this thread on a device that serves one thread only.
  PhotoFolder photos;
  slideshowSession.photoFiles.Append(photos.path() + L"\\photo.bmp");
  slideshowSession.sessionSettings.slideTime = 60000;
  ASSERT_EQ(StartSession(false, window_, slideshowSession), S_OK);
  SlideshowSession& s = slideshowSession;
  s.showRunning = true;
  for (DWORD start = GetTickCount(); s.firstFrame && GetTickCount() - start < 10000;) Sleep(10);
  ASSERT_FALSE(s.firstFrame) << "the first photo never showed";
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(PauseShow(s), S_OK);
    InvalidateRect(window_, nullptr, FALSE);
    ScreenSaverProcW(window_, WM_PAINT, 0, 0);
    ASSERT_EQ(ResumeShow(s), S_OK);
  }
  EXPECT_EQ(WaitForSingleObject(s.renderThread.get(), 0), WAIT_TIMEOUT) << "the render thread ended";
  EXPECT_EQ(s.renderer.device->TestCooperativeLevel(), D3D_OK);
  // The loader's next decode may still be under way (slow while the frames
  // contend for GDI); the stop would rightly leave it running. This test is
  // about drawing, so let it end.
  for (DWORD start = GetTickCount(); s.loaderBusy && GetTickCount() - start < 10000;) Sleep(5);
  s.showRunning = false;
  EXPECT_EQ(StopSession(s), S_OK);
  ExpectNothingLeft();
}

TEST_F(SessionLifecycle, AnEmptyPhotoListStillStartsWholeAndStopsClean) {
  SlideshowSession& s = slideshowSession;
  ASSERT_EQ(StartSession(true, window_, s), S_OK);
  EXPECT_TRUE(s.sessionInitialised);
  EXPECT_TRUE(s.renderer.device);
  EXPECT_FALSE(s.stagingGdiplus.token) << "GDI+ started with no photo that needs it";
  ASSERT_TRUE(s.loaderThread && s.renderThread);
  EXPECT_EQ(WaitForSingleObject(s.loaderThread.get(), 200), WAIT_TIMEOUT) << "the loader ended on an empty list";
  EXPECT_EQ(WaitForSingleObject(s.renderThread.get(), 0), WAIT_TIMEOUT) << "the render thread ended";
  for (const wchar_t* name : kEvents) EXPECT_TRUE(EventExists(name)) << name;
  EXPECT_TRUE(s.photoFiles.Empty());
  EXPECT_EQ(StopSession(s), S_OK);
  ExpectNothingLeft();
}

TEST_F(SessionLifecycle, ListsReadyBeforeTheStartEndsStartTheShowWithoutTheNotice) {
  PhotoFolder photos;
  SlideshowSession& s = slideshowSession;
  s.photoFiles.Append(photos.path() + L"\\photo.bmp");
  s.listsReady = true;  // the loader's notice came, and went, during the start
  s.window = window_;
  s.startFullScreen = false;
  FinishStart(s, S_OK);  // makes the device here, on the window's thread
  EXPECT_TRUE(s.sessionInitialised);
  EXPECT_TRUE(s.showRunning);
  StopMusic(s);
  s.listsReady = false;
}

TEST_F(SessionLifecycle, AStartWhileAWorkerOfTheLastSessionRunsChangesNothing) {
  SlideshowSession& s = slideshowSession;
  s.workersLeftRunning = true;  // as a stop that gave up on a decode leaves it
  s.listsToExpand = false;
  EXPECT_EQ(BeginSession(window_, false, s), kWorkerStillRunning);
  EXPECT_EQ(StartSession(false, window_, s), kWorkerStillRunning);
  EXPECT_FALSE(s.listsToExpand) << "the entries the worker may read were rewritten";
  EXPECT_FALSE(s.sessionInitialised || s.loaderThread || s.loadPhotoEvent || s.fineTimer.active());
  s.workersLeftRunning = false;
}

TEST_F(SessionLifecycle, AFailedStepReleasesWhatTheStartHadMade) {
  // Early: the loader's events, before any thread exists.
  Block(L"BrindoraPro_LoadPhotoComplete");
  EXPECT_EQ(StartSession(false, window_, slideshowSession), E_FAIL);
  ExpectNothingLeft();
  EXPECT_FALSE(EventExists(L"BrindoraPro_LoadPhoto"));

  // Late: after the loader runs.
  CloseHandle(blockers_.back());
  blockers_.pop_back();
  Block(L"BrindoraPro_StopThRefresh");
  EXPECT_EQ(StartSession(false, window_, slideshowSession), E_FAIL);
  ExpectNothingLeft();
  EXPECT_FALSE(EventExists(L"BrindoraPro_LoadPhoto"));
}

// ScreenSaverProcW on a window that runs no session: the control keys, the
// Esc-only filter and the power notices. The window carries the host's state,
// as the saver's does, so what the session passes on meets the ending rules.
class SessionWindowProc : public testing::Test {
 protected:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* state = static_cast<SaverWindowState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      AttachSessionLink(window, state);
    }
    if (message == WM_CREATE || message == WM_DESTROY) return DefWindowProcW(window, message, wParam, lParam);
    return ScreenSaverProcW(window, message, wParam, lParam);
  }
  void SetUp() override {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SessionWindowProcTest";
    RegisterClassW(&windowClass);
    state_.session = &session_;
    state_.next = DefaultSaverProc;
    window_ = CreateWindowExW(0, L"SessionWindowProcTest", L"Screen Saver", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), &state_);
    ASSERT_TRUE(window_);
    ResetSettings();
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    saverSettings.exitByEscOnly = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  bool ClosePosted() {
    MSG message;
    return PeekMessageW(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
  }
  LRESULT Send(UINT message, WPARAM wParam = 0) { return SendMessageW(window_, message, wParam, 0); }
  SlideshowSession session_;
  SaverWindowState state_;
  HWND window_ = nullptr;
};

TEST_F(SessionWindowProc, ControlKeysNeverEndTheSaver) {
  for (WPARAM key : {VK_SPACE, VK_SPACE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_RETURN, VK_RETURN}) {
    EXPECT_EQ(Send(WM_KEYDOWN, key), 0);
    EXPECT_FALSE(ClosePosted()) << "key " << key;
  }
  Send(WM_KEYDOWN, 'B');
  EXPECT_TRUE(ClosePosted());
}

TEST_F(SessionWindowProc, EscOnlyLetsEscapeAndAltThrough) {
  session_.sessionSettings.exitByEscOnly = true;
  for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_MOUSEWHEEL}) {
    SetCursorPos(0, 0);  // far from where any test started
    EXPECT_EQ(Send(message), 0);
  }
  Send(WM_KEYDOWN, 'B');
  EXPECT_FALSE(ClosePosted());
  Send(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(ClosePosted());
  Send(WM_SYSKEYDOWN, 'B');
  EXPECT_TRUE(ClosePosted());
}

TEST_F(SessionWindowProc, PowerNoticesAnswerTrueAndSuspendEndsTheSaver) {
  EXPECT_EQ(Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC), TRUE);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(Send(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND), TRUE);
  EXPECT_FALSE(IsWindow(window_));
}

}  // namespace
