#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "session/loader_thread.h"
#include "render/slide_clock.h"
#include "session/navigation.h"
#include "session/playlists.h"
#include "tests/win32/media/photo_test_support.h"
#include "tests/win32/test_folders.h"

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

  // The render thread's take-over of the staged photo: returns the staged
  // photo's tag and asks for the next one.
  int32_t TakeOver() {
    EXPECT_EQ(WaitForSingleObject(session().loadCompleteEvent.get(), kLoaderWaitMs), WAIT_OBJECT_0);
    const uint32_t index = session().photoIndex;
    const size_t count = session().photoFiles.Count();
    session().shownIndex = index == 0 ? static_cast<uint32_t>(count - 1) : index - 1;
    const int32_t shown = session().staged.orientation;
    session().slideStart = SlideClockNow();
    SetEvent(session().loadPhotoEvent.get());
    return shown;
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
  const DWORD start = SlideClockNow();
  StopLoaderThread(session());
  EXPECT_LT(SlideClockNow() - start, kWorkerStopTimeoutMs);  // ended, not terminated
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(thread);
  EXPECT_FALSE(session().loaderThread);
}

TEST_F(LoaderTest, MissingEventsEndTheLoaderAtOnce) {
  session().stopLoaderEvent.reset();
  EXPECT_EQ(RunLoader(session()), E_INVALIDARG);
}

// --- navigation, against the real loader and events ---

class NavigationTest : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    Files({Small(1), Small(2), Small(3), Small(4), Small(5)});
    StartLoader();
    StageFirst();
    session().showRunning = true;
  }
};

TEST_F(NavigationTest, RightShowsTheNextPhotoAndEndsTheSlideAtOnce) {
  EXPECT_EQ(TakeOver(), 1);
  const uint32_t before = session().slideStart;
  ASSERT_EQ(NextPhoto(session()), S_OK);
  EXPECT_FALSE(session().paused);
  // The slide on screen now counts as over.
  EXPECT_GE(SlideClockNow() - session().slideStart, 5000u);
  EXPECT_LT(SlideClockNow() - session().slideStart, 5000u + 2000u);
  EXPECT_NE(session().slideStart, before);
  EXPECT_EQ(TakeOver(), 2);
  EXPECT_EQ(session().shownIndex, 1u);
}

TEST_F(NavigationTest, RightTwiceBeforeThePhotoShowsAsksForTheSamePhoto) {
  EXPECT_EQ(TakeOver(), 1);
  ASSERT_EQ(NextPhoto(session()), S_OK);
  ASSERT_EQ(NextPhoto(session()), S_OK);  // shownIndex has not moved yet
  EXPECT_EQ(TakeOver(), 2);
  EXPECT_EQ(TakeOver(), 3);
}

TEST_F(NavigationTest, LeftOnTheFirstGoesToTheLastAndRightOnTheLastToTheFirst) {
  EXPECT_EQ(TakeOver(), 1);
  ASSERT_EQ(PreviousPhoto(session()), S_OK);
  EXPECT_EQ(TakeOver(), 5);
  EXPECT_EQ(session().shownIndex, 4u);
  ASSERT_EQ(NextPhoto(session()), S_OK);
  EXPECT_EQ(TakeOver(), 1);
  ASSERT_EQ(PreviousPhoto(session()), S_OK);
  EXPECT_EQ(TakeOver(), 5);
  ASSERT_EQ(PreviousPhoto(session()), S_OK);
  EXPECT_EQ(TakeOver(), 4);
}

TEST_F(NavigationTest, NothingHappensWhilePausedOrBeforeTheShowRuns) {
  EXPECT_EQ(TakeOver(), 1);
  ASSERT_EQ(WaitForSingleObject(session().loadCompleteEvent.get(), kLoaderWaitMs), WAIT_OBJECT_0);
  SetEvent(session().loadCompleteEvent.get());  // photo 2 staged, completion pending again
  ASSERT_EQ(PauseShow(session()), S_OK);
  const uint32_t slideStart = session().slideStart;
  EXPECT_EQ(NextPhoto(session()), S_OK);
  EXPECT_EQ(PreviousPhoto(session()), S_OK);
  EXPECT_TRUE(session().paused);
  EXPECT_EQ(session().photoIndex, 2u);
  EXPECT_EQ(session().slideStart, slideStart);
  ASSERT_EQ(ResumeShow(session()), S_OK);

  session().showRunning = false;
  EXPECT_EQ(NextPhoto(session()), S_OK);
  EXPECT_EQ(session().photoIndex, 2u);
  // The completion was never consumed by navigation.
  EXPECT_EQ(WaitForSingleObject(session().loadCompleteEvent.get(), 0), WAIT_OBJECT_0);
}

TEST_F(NavigationTest, SpaceRightAfterRightPausesTheOldPhotoUntilResumed) {
  EXPECT_EQ(TakeOver(), 1);
  ASSERT_EQ(NextPhoto(session()), S_OK);
  ASSERT_EQ(PauseShow(session()), S_OK);
  Sleep(200);
  ASSERT_EQ(ResumeShow(session()), S_OK);
  // Still overdue after the resume: the requested photo comes next.
  EXPECT_GE(SlideClockNow() - session().slideStart, 5000u);
  EXPECT_EQ(TakeOver(), 2);
}

class NavigationWithoutLoaderTest : public LoaderTest {};

TEST_F(NavigationWithoutLoaderTest, ALoaderThatNeverFinishesFailsTheStepAfterFiveSeconds) {
  Files({Small(1), Small(2)});
  session().showRunning = true;
  session().photoIndex = 1;
  session().slideStart = SlideClockNow();
  const uint32_t before = session().slideStart;
  const DWORD start = SlideClockNow();
  EXPECT_EQ(NextPhoto(session()), E_FAIL);
  const DWORD waited = SlideClockNow() - start;
  EXPECT_GE(waited, kNavigationWaitMs - 50);  // tick granularity
  EXPECT_EQ(session().photoIndex, 1u);
  EXPECT_FALSE(session().paused);
  // Not moved back: only carried forward by the wait.
  EXPECT_GE(session().slideStart - before, kNavigationWaitMs - 50);
  EXPECT_LE(session().slideStart - before, waited + 50);
  EXPECT_EQ(WaitForSingleObject(session().loadPhotoEvent.get(), 0), WAIT_TIMEOUT);
}

TEST_F(NavigationWithoutLoaderTest, AnEmptyListRequestsNothing) {
  session().showRunning = true;
  SetEvent(session().loadCompleteEvent.get());
  EXPECT_EQ(NextPhoto(session()), E_FAIL);
  EXPECT_FALSE(session().paused);
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
