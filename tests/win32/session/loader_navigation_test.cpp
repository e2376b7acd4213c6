#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "render/slide_clock.h"
#include "session/loader_thread.h"
#include "session/navigation.h"
#include "session/playlists.h"
#include "session/render_thread.h"
#include "tests/win32/media/photo_test_support.h"
#include "tests/win32/test_folders.h"

namespace {

// Armed by a test: the next allocation of at least this many bytes is
// refused, as one inside a decode is when memory runs short.
std::atomic<size_t> refuseNextAllocationFrom = 0;

}  // namespace

// The library's operator delete releases with free().
void* operator new(size_t size) {
  size_t armed = refuseNextAllocationFrom.load();
  if (armed != 0 && size >= armed && refuseNextAllocationFrom.compare_exchange_strong(armed, 0)) {
    throw std::bad_alloc();
  }
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

namespace {

using namespace phototest;

// Each small photo carries its own orientation tag, so the tag on the
// session says which one the loader staged last.
std::wstring Small(int tag) { return Fixture(L"small\\o" + std::to_wstring(tag) + L".tif"); }

constexpr DWORD kLoaderWaitMs = 10000;

// A session with its staging surface, the loader's named events and a real
// loader thread. The test thread plays the UI thread and, where a test needs
// it, the render thread's side of the hand-off.
class LoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Fixture().empty()) << "BRINDORA_PHOTO_FIXTURES is not set";
    session().sessionSettings.slideTime = 5000;
    ASSERT_EQ(CreateLoaderEvents(session()), S_OK);
  }
  void TearDown() override {
    StopLoaderThread(session());
    session().loadPhotoEvent.reset();
    session().loadCompleteEvent.reset();
    session().stopLoaderEvent.reset();
  }
  SlideshowSession& session() { return staged_.session; }

  void StartLoader() { ASSERT_EQ(StartLoaderThread(session()), S_OK); }

  // Start of a session: stage the first photo and leave its completion pending.
  void StageFirst() {
    ASSERT_TRUE(Request());
    SetEvent(session().loadCompleteEvent.get());
  }

  bool Request() {
    SetEvent(session().loadPhotoEvent.get());
    return WaitForSingleObject(session().loadCompleteEvent.get(), kLoaderWaitMs) == WAIT_OBJECT_0;
  }

  void Files(const std::vector<std::wstring>& paths) { staged_.SetFiles(paths); }
  std::vector<std::wstring> Listed() const {
    return {staged_.session.photoFiles.begin(), staged_.session.photoFiles.end()};
  }

  StagedSession staged_;
};

TEST_F(LoaderTest, EachRequestStagesTheNextPhotoAndWraps) {
  Files({Small(1), Small(2), Small(3)});
  StartLoader();
  std::vector<int32_t> staged;
  std::vector<uint32_t> next;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(Request());
    staged.push_back(session().staged.orientation);
    next.push_back(session().photoIndex);
  }
  EXPECT_EQ(staged, (std::vector<int32_t>{1, 2, 3, 1}));
  EXPECT_EQ(next, (std::vector<uint32_t>{1, 2, 0, 1}));
}

TEST_F(LoaderTest, BadFilesAreDroppedAndTheGoodOnesKept) {
  std::vector<std::wstring> files = {
      Fixture(L"bad\\zero.jpg"),     Small(1),    Fixture(L"bad\\text.jpg"), Fixture(L"bad\\corrupt.png"), Small(2),
      Fixture(L"gone\\missing.jpg"), Fixture(L"")};  // a folder, not a photo
  if (sizeof(void*) == 4) files.push_back(Fixture(L"bad\\huge_20000x20000.png"));
  files.push_back(Small(3));
  Files(files);
  StartLoader();
  std::vector<int32_t> staged;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(Request());
    staged.push_back(session().staged.orientation);
  }
  EXPECT_EQ(staged, (std::vector<int32_t>{1, 2, 3, 1}));
  EXPECT_EQ(Listed(), (std::vector<std::wstring>{Small(1), Small(2), Small(3)}));
}

TEST_F(LoaderTest, MemoryRefusedInsideADecodeDropsThatPhotoAndTheLoaderGoesOn) {
  Files({Small(1), Small(2)});
  StartLoader();
  refuseNextAllocationFrom = 1 << 20;  // the filter's output for a 64 x 48 photo letterboxed: 3 MB
  ASSERT_TRUE(Request());
  EXPECT_EQ(refuseNextAllocationFrom.load(), 0u) << "the decode never asked for that much";
  EXPECT_EQ(session().staged.orientation, 2);
  EXPECT_EQ(Listed(), std::vector<std::wstring>{Small(2)});
  ASSERT_TRUE(Request()) << "the loader ended";
  EXPECT_EQ(session().staged.orientation, 2);
}

TEST_F(LoaderTest, AListWhereEveryFileFailsCompletesWithFailure) {
  Files({Fixture(L"bad\\zero.jpg"), Fixture(L"bad\\text.jpg"), Fixture(L"bad\\corrupt.png")});
  StartLoader();
  ASSERT_TRUE(Request());  // the request completes; nobody waits forever
  EXPECT_TRUE(session().photoFiles.Empty());
  StopLoaderThread(session());
  EXPECT_EQ(LoadStep(session()), E_FAIL);  // and so does every later one, at once
}

TEST_F(LoaderTest, APathThatVanishedBeforeItsTurnIsDropped) {
  const std::wstring folder = UniqueTempFolder(L"brindora-vanished-");
  ASSERT_FALSE(folder.empty());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring copy = folder + L"\\o4.tif";
  ASSERT_TRUE(CopyFileW(Small(4).c_str(), copy.c_str(), FALSE));
  Files({Small(1), copy, Small(2)});
  StartLoader();
  ASSERT_TRUE(Request());
  ASSERT_TRUE(DeleteFileW(copy.c_str()));
  ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
  ASSERT_TRUE(Request());
  EXPECT_EQ(session().staged.orientation, 2);
  EXPECT_EQ(Listed(), (std::vector<std::wstring>{Small(1), Small(2)}));
}

TEST_F(LoaderTest, RandomOrderStartsEachPassInANewOrder) {
  std::vector<std::wstring> original;
  for (int tag = 1; tag <= 8; ++tag) original.push_back(Small(tag));
  Files(original);
  session().sessionSettings.photoRandom = true;
  StartLoader();
  std::vector<std::vector<std::wstring>> passes;
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(Request());
    EXPECT_EQ(session().photoIndex, 0u);
    passes.push_back(Listed());
    auto sorted = passes.back();
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, original);  // the same photos, none lost
    Sleep(20);                    // a new tick, so a new seed
  }
  // Every pass ended in a reshuffle. Each order has a chance of 1 in 40320 of
  // repeating the one before it.
  EXPECT_NE(passes[0], original);
  EXPECT_NE(passes[1], passes[0]);
  EXPECT_NE(passes[2], passes[1]);
}

TEST_F(LoaderTest, TheStopEndsTheLoaderAtOnce) {
  Files({Small(1)});
  StartLoader();
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), session().loaderThread.get(), GetCurrentProcess(), &thread, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  EXPECT_TRUE(StopLoaderThread(session()));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(thread);
  EXPECT_FALSE(session().loaderThread);
}

// A worker deep in a decode that cannot be cut short: the stop gives up
// waiting, reports it, and leaves the thread to finish on its own rather
// than killing it inside GDI+ or the heap.
DWORD WINAPI BusyForHalfASecond(void*) {
  Sleep(500);
  return 7;
}

TEST(StopWorkerThread, AWorkerThatDoesNotEndInTimeIsLeftRunningNotKilled) {
  AutoHandle stop(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  AutoHandle worker(CreateThread(nullptr, 0, BusyForHalfASecond, nullptr, 0, nullptr));
  HANDLE watch = nullptr;
  ASSERT_TRUE(
      DuplicateHandle(GetCurrentProcess(), worker.get(), GetCurrentProcess(), &watch, 0, FALSE, DUPLICATE_SAME_ACCESS));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(StopWorkerThread(worker, stop, 50));
  EXPECT_LT(GetTickCount() - start, 400u);
  EXPECT_FALSE(worker);
  EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_TIMEOUT);  // still running
  ASSERT_EQ(WaitForSingleObject(watch, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(watch, &code);
  EXPECT_EQ(code, 7u);  // it ran to its own end
  CloseHandle(watch);
  AutoHandle none;
  EXPECT_TRUE(StopWorkerThread(none, stop, 50));
}

TEST_F(LoaderTest, MissingEventsEndTheLoaderAtOnce) {
  session().stopLoaderEvent.reset();
  EXPECT_EQ(RunLoader(session()), E_INVALIDARG);
}

// --- navigation, against the real loader and events ---
// The test thread plays both the UI thread (the keys) and the render thread
// (RenderFrame on the hidden window's device).

class NavigationTest : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    Files({Small(1), Small(2), Small(3), Small(4), Small(5)});
    session().sessionSettings.slideTime = 60000;  // no slide ends by time here
    StartLoader();
    StageFirst();
    session().showRunning = true;
    session().firstFrame = true;
    ASSERT_EQ(RenderFrame(session()), S_OK);
  }
  // Frames until the photo at `index` is on screen; false if it never comes.
  bool Shows(uint32_t index) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kLoaderWaitMs; Sleep(5)) {
      RenderFrame(session());
      if (session().shownIndex == index && !session().navigating && session().pendingSteps == 0) return true;
    }
    return false;
  }
  // A key on the UI thread; it must return at once.
  void Press(HRESULT (*key)(SlideshowSession&)) {
    const DWORD start = GetTickCount();
    EXPECT_EQ(key(session()), S_OK);
    EXPECT_LT(GetTickCount() - start, 50u);
  }
};

TEST_F(NavigationTest, RightShowsTheNextPhotoAsSoonAsItIsReady) {
  EXPECT_EQ(session().shownIndex, 0u);
  Press(NextPhoto);
  EXPECT_TRUE(Shows(1));
  Press(NextPhoto);
  EXPECT_TRUE(Shows(2));
}

TEST_F(NavigationTest, RightOnTheStagedPhotoShowsItOnTheNextFrame) {
  // Frames until photo 1 is asked for: once the card has taken photo 0 over.
  for (DWORD start = GetTickCount(); session().nextPhotoDue && GetTickCount() - start < kLoaderWaitMs; Sleep(5)) {
    ASSERT_EQ(RenderFrame(session()), S_OK);
  }
  ASSERT_EQ(WaitForSingleObject(session().loadCompleteEvent.get(), kLoaderWaitMs), WAIT_OBJECT_0);
  SetEvent(session().loadCompleteEvent.get());
  Press(NextPhoto);
  ASSERT_EQ(RenderFrame(session()), S_OK);
  EXPECT_EQ(session().shownIndex, 1u) << "the staged photo waited for a decode";
  EXPECT_FALSE(session().navigating);
  Press(PreviousPhoto);  // not staged: the loader goes back for it
  EXPECT_TRUE(Shows(0));
}

TEST_F(NavigationTest, StepsPressedBeforeThePhotoShowsAddUp) {
  Press(NextPhoto);
  Press(NextPhoto);
  Press(NextPhoto);
  EXPECT_TRUE(Shows(3));
  Press(PreviousPhoto);
  Press(PreviousPhoto);
  EXPECT_TRUE(Shows(1));
}

TEST_F(NavigationTest, LeftOnTheFirstGoesToTheLastAndRightOnTheLastToTheFirst) {
  Press(PreviousPhoto);
  EXPECT_TRUE(Shows(4));
  Press(NextPhoto);
  EXPECT_TRUE(Shows(0));
}

TEST_F(NavigationTest, NothingHappensWhilePausedOrBeforeTheShowRuns) {
  ASSERT_EQ(PauseShow(session()), S_OK);
  Press(NextPhoto);
  Press(PreviousPhoto);
  EXPECT_EQ(session().pendingSteps, 0);
  ASSERT_EQ(ResumeShow(session()), S_OK);
  session().showRunning = false;
  Press(NextPhoto);
  EXPECT_EQ(session().pendingSteps, 0);
}

TEST_F(NavigationTest, SpaceRightAfterRightHoldsTheOldPhotoUntilResumed) {
  Press(NextPhoto);
  ASSERT_EQ(PauseShow(session()), S_OK);
  for (int i = 0; i < 20; ++i) RenderFrame(session());  // a paused show takes nothing over
  Sleep(200);
  EXPECT_EQ(session().shownIndex, 0u);
  ASSERT_EQ(ResumeShow(session()), S_OK);
  EXPECT_TRUE(Shows(1));
}

class NavigationWithoutLoaderTest : public LoaderTest {};

TEST_F(NavigationWithoutLoaderTest, RightWhileTheLoaderIsBusyNeverWaitsAndTheSlideGoesOn) {
  // No loader thread: the completion never comes, as in a decode of minutes.
  Files({Small(1), Small(2)});
  session().sessionSettings.slideTime = 60000;
  session().showRunning = true;
  session().slideStart = SlideClockNow();
  const DWORD start = GetTickCount();
  EXPECT_EQ(NextPhoto(session()), S_OK);
  EXPECT_LT(GetTickCount() - start, 50u);
  EXPECT_EQ(session().pendingSteps, 1);
  // The slide on screen keeps moving meanwhile, and the step stays asked for.
  EXPECT_EQ(RenderFrame(session()), S_OK);
  EXPECT_EQ(RenderFrame(session()), S_OK);
  EXPECT_EQ(session().pendingSteps, 1);
  EXPECT_EQ(WaitForSingleObject(session().loadPhotoEvent.get(), 0), WAIT_TIMEOUT);
}

TEST_F(NavigationWithoutLoaderTest, PauseAndResumeCarryTheSlideClockOverThePause) {
  session().slideStart = SlideClockNow() - 1000;
  ASSERT_EQ(PauseShow(session()), S_OK);
  EXPECT_FALSE(session().paused);  // not running: nothing happens

  session().showRunning = true;
  const uint32_t slideStart = session().slideStart;
  ASSERT_EQ(PauseShow(session()), S_OK);
  EXPECT_TRUE(session().paused);
  const uint32_t pauseStart = session().pauseStart;
  Sleep(50);
  ASSERT_EQ(PauseShow(session()), S_OK);  // already paused: the pause keeps its start
  EXPECT_EQ(session().pauseStart, pauseStart);
  Sleep(250);
  const DWORD before = SlideClockNow();
  ASSERT_EQ(ResumeShow(session()), S_OK);
  const DWORD after = SlideClockNow();
  EXPECT_FALSE(session().paused);
  EXPECT_GE(session().slideStart - slideStart, before - pauseStart);
  EXPECT_LE(session().slideStart - slideStart, after - pauseStart);

  const uint32_t resumed = session().slideStart;
  ASSERT_EQ(ResumeShow(session()), S_OK);  // not paused: nothing moves
  EXPECT_EQ(session().slideStart, resumed);
}

}  // namespace
