// The music player against the real MCI of Wine, with every command recorded
// on its way. The tracks are tones made by make_music_fixtures.sh.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "music/mci_commands.h"
#include "music/music_player.h"
#include "music/music_rules.h"
#include "session/navigation.h"
#include "session/show_music.h"
#include "tests/win32/music/music_test_support.h"

namespace {

using namespace musictest;
using Texts = std::vector<std::wstring>;

std::wstring OpenOf(const std::wstring& path) { return OpenCommand(path, false); }
std::wstring Volume(int32_t v) { return std::wstring(VolumeCommand(v).view()); }

// Sound starts a few hundred milliseconds after play; short tones end within
// about a second of it. Generous, because the machine is shared.
constexpr DWORD kTrackEndWaitMs = 8000;

class MusicPlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Track().empty()) << "BRINDORA_MUSIC_FIXTURES is not set";
    ASSERT_TRUE(window_.get());
    session_->sessionInitialised = true;
  }
  void TearDown() override {
    StopMusic(*session_);
    SystemMciPort().Send(L"close all", nullptr);
  }

  void SetFiles(std::initializer_list<std::wstring> names) {
    for (const auto& name : names) session_->music.musicFiles.Append(name.find(L':') == 1 ? name : Track(name));
  }
  Texts Files() const { return {session_->music.musicFiles.begin(), session_->music.musicFiles.end()}; }

  // Counts the open commands recorded so far.
  size_t Opens() const {
    return std::count_if(port_.events.begin(), port_.events.end(),
                         [](const PortEvent& e) { return e.text.starts_with(L"open "); });
  }
  std::wstring LastOpen() const {
    for (auto e = port_.events.rbegin(); e != port_.events.rend(); ++e)
      if (e->text.starts_with(L"open ")) return e->text;
    return L"";
  }
  bool WaitForOpens(size_t n) {
    return PumpUntil([&] { return Opens() >= n; }, kTrackEndWaitMs * static_cast<DWORD>(n));
  }
  // The commands from `from` on, without the fade's volume steps.
  Texts WithoutFade(size_t from) const {
    Texts texts;
    for (const auto& t : port_.Texts(from))
      if (!t.starts_with(L"setaudio currentMusic volume to ") || t == kCmdVolumeZero) texts.push_back(t);
    return texts;
  }

  // Takes the fade into the test's hands: the timer must have been running.
  void StopFadeTimer() { ASSERT_TRUE(KillTimer(window_.get(), kFadeTimerId)); }

  std::unique_ptr<SlideshowSession> session_ = std::make_unique<SlideshowSession>();
  MusicWindow window_{*session_};
  RecordingPort port_;
  ScopedMciPort route_{port_};
};

TEST_F(MusicPlayerTest, FirstTrackStartsSilentPlaysHiddenAndTheFadeTimerTicks) {
  SetFiles({L"long.wav", L"short660.mp3"});
  ASSERT_EQ(StartMusic(*session_), S_OK);

  const std::wstring path = Track(L"long.wav");
  EXPECT_EQ(port_.Texts(), (Texts{OpenOf(path), kCmdVolumeZero, kCmdPlayNotify, kCmdVideoOff, kCmdWindowHide}));
  ASSERT_EQ(port_.events.size(), 5u);
  // Open, volume and play reach a real device that accepts them.
  for (int i : {0, 1, 2}) EXPECT_EQ(port_.events[i].result, 0u) << port_.events[i].text;
  // Only the play command notifies, and it notifies the window.
  EXPECT_EQ(port_.events[2].notifyWindow, window_.get());
  for (int i : {0, 1, 3, 4}) EXPECT_EQ(port_.events[i].notifyWindow, nullptr);

  EXPECT_TRUE(session_->music.musicActive);
  EXPECT_TRUE(session_->showRunning);
  EXPECT_FALSE(session_->paused);
  EXPECT_FALSE(session_->music.cdTrack);
  EXPECT_EQ(session_->music.musicIndex, 1u);
  EXPECT_TRUE(PumpUntil([] { return Status(L"mode") == L"playing"; }, 3000)) << Status(L"mode");

  // The window's timer drives the fade: each tick raises the open track's volume.
  ASSERT_TRUE(PumpUntil([&] { return window_.fadeTicks >= 2; }, 3000));
  EXPECT_EQ(session_->music.fadeVolume, kFadeStep * window_.fadeTicks);
  EXPECT_EQ(port_.Texts(5).front(), Volume(50));
  EXPECT_EQ(port_.events.back().result, 0u) << port_.events.back().text;
}

TEST_F(MusicPlayerTest, FadeClimbsInTwentyStepsToFullThenStopsItsTimer) {
  SetFiles({L"long.mp3"});
  ASSERT_EQ(StartMusic(*session_), S_OK);
  const size_t mark = port_.events.size();
  // A second start while the show runs does nothing.
  EXPECT_EQ(StartMusic(*session_), S_OK);
  EXPECT_EQ(port_.events.size(), mark);

  Texts expected;
  for (int step = 1; step <= 20; ++step) {
    FadeStep(session_->music);
    expected.push_back(Volume(50 * step));
  }
  EXPECT_EQ(port_.Texts(mark), expected);
  EXPECT_EQ(session_->music.fadeVolume, kFadeEnd);
  for (size_t i = mark; i < port_.events.size(); ++i) {
    EXPECT_EQ(port_.events[i].result, 0u) << port_.events[i].text;
    EXPECT_EQ(port_.events[i].notifyWindow, nullptr);
  }
  // The twentieth step stopped the timer: nothing more arrives.
  EXPECT_FALSE(KillTimer(window_.get(), kFadeTimerId));
  PumpFor(1200);
  EXPECT_EQ(window_.fadeTicks, 0);
  EXPECT_EQ(port_.events.size(), mark + 20);
}

TEST_F(MusicPlayerTest, TracksFollowInOrderSilentOnlyBeforeTheFirstFadeStepAndTheListWraps) {
  SetFiles({L"short440.wav", L"short660.mp3", L"short880.wav"});
  ASSERT_EQ(StartMusic(*session_), S_OK);
  StopFadeTimer();
  FadeStep(session_->music);

  // The end of the first track, during the fade: the second opens at the
  // device's own volume, which the next fade step sets.
  size_t mark = port_.events.size();
  ASSERT_TRUE(WaitForOpens(2));
  ASSERT_TRUE(PumpUntil([&] { return port_.events.size() >= mark + 6; }, 2000));
  EXPECT_EQ(port_.Texts(mark), (Texts{kCmdStop, kCmdCloseAll, OpenOf(Track(L"short660.mp3")), kCmdPlayNotify,
                                      kCmdVideoOff, kCmdWindowHide}));
  EXPECT_EQ(port_.events[mark].notifyWindow, window_.get());      // stop
  EXPECT_EQ(port_.events[mark + 1].notifyWindow, window_.get());  // close all
  EXPECT_EQ(session_->music.musicIndex, 2u);
  EXPECT_EQ(window_.notices.front(), static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));

  // After the fade no volume command is sent at all.
  while (session_->music.fadeVolume < kFadeEnd) FadeStep(session_->music);
  mark = port_.events.size();
  ASSERT_TRUE(WaitForOpens(3));
  ASSERT_TRUE(PumpUntil([&] { return port_.events.size() >= mark + 6; }, 2000));
  EXPECT_EQ(port_.Texts(mark), (Texts{kCmdStop, kCmdCloseAll, OpenOf(Track(L"short880.wav")), kCmdPlayNotify,
                                      kCmdVideoOff, kCmdWindowHide}));
  EXPECT_EQ(session_->music.musicIndex, 0u);

  // Then the first again, and the list is still whole and in order.
  mark = port_.events.size();
  ASSERT_TRUE(WaitForOpens(4));
  EXPECT_EQ(LastOpen(), OpenOf(Track(L"short440.wav")));
  EXPECT_EQ(Files(), (Texts{Track(L"short440.wav"), Track(L"short660.mp3"), Track(L"short880.wav")}));
}

TEST_F(MusicPlayerTest, OneFilePlaysOverAndOver) {
  SetFiles({L"short660.mp3"});
  ASSERT_EQ(StartMusic(*session_), S_OK);
  ASSERT_TRUE(WaitForOpens(3));
  for (const auto& event : port_.events) {
    if (event.text.starts_with(L"open ")) {
      EXPECT_EQ(event.text, OpenOf(Track(L"short660.mp3")));
    }
  }
  EXPECT_EQ(session_->music.musicIndex, 0u);
  EXPECT_EQ(session_->music.musicFiles.Count(), 1u);
}

TEST_F(MusicPlayerTest, RandomOrderReshufflesWhenTheListWraps) {
  session_->sessionSettings.musicRandom = true;
  SetFiles({L"short440.wav", L"short660.mp3", L"short880.wav"});
  const Texts original = Files();
  ASSERT_EQ(StartMusic(*session_), S_OK);
  ASSERT_TRUE(WaitForOpens(3));
  // The first pass follows the list as built.
  Texts opened;
  for (const auto& event : port_.events) {
    if (event.text.starts_with(L"open ")) opened.push_back(event.text);
  }
  EXPECT_EQ(opened, (Texts{OpenOf(original[0]), OpenOf(original[1]), OpenOf(original[2])}));

  // The third start wrapped the cursor and reshuffled: the same files, and
  // the next track is the first of the new order.
  Texts shuffled = Files();
  ASSERT_EQ(session_->music.musicIndex, 0u);
  Texts sortedNow = shuffled, sortedBefore = original;
  std::sort(sortedNow.begin(), sortedNow.end());
  std::sort(sortedBefore.begin(), sortedBefore.end());
  EXPECT_EQ(sortedNow, sortedBefore);
  ASSERT_TRUE(WaitForOpens(4));
  EXPECT_EQ(LastOpen(), OpenOf(shuffled[0]));
}

TEST_F(MusicPlayerTest, FileThatDoesNotOpenIsDroppedAndTheNextPlays) {
  SetFiles({L"short440.wav", L"notes.mp3", L"short880.wav"});
  ASSERT_EQ(StartMusic(*session_), S_OK);
  StopFadeTimer();
  FadeStep(session_->music);
  const size_t mark = port_.events.size();
  ASSERT_TRUE(WaitForOpens(3));
  ASSERT_TRUE(PumpUntil([&] { return port_.events.size() >= mark + 10; }, 2000));
  EXPECT_EQ(port_.Texts(mark),
            (Texts{kCmdStop, kCmdCloseAll, OpenOf(Track(L"notes.mp3")), kCmdStop, kCmdCloseAll, L"wait 30",
                   OpenOf(Track(L"short880.wav")), kCmdPlayNotify, kCmdVideoOff, kCmdWindowHide}));
  EXPECT_NE(port_.events[mark + 2].result, 0u);
  EXPECT_EQ(Files(), (Texts{Track(L"short440.wav"), Track(L"short880.wav")}));
  EXPECT_EQ(session_->music.musicIndex, 0u);
}

TEST_F(MusicPlayerTest, EveryFileFailingLeavesTheShowSilentAndPauseUntouched) {
  // Upper-case ".CDA" and a six-character ".cda" path are ordinary files.
  SetFiles({L"notes.mp3", L"missing.wav", L"D:\\Track01.CDA", L"Z:.cda"});
  const Texts files = Files();
  const DWORD start = GetTickCount();
  EXPECT_EQ(StartMusic(*session_), E_FAIL);
  const DWORD elapsed = GetTickCount() - start;

  Texts expected;
  for (const auto& file : files) {
    for (const auto& text :
         {OpenOf(file), std::wstring(kCmdStop), std::wstring(kCmdCloseAll), std::wstring(L"wait 30")})
      expected.push_back(text);
  }
  EXPECT_EQ(port_.Texts(), expected);
  // One attempt and one 30 ms pause per file.
  EXPECT_GE(elapsed, 4 * kFailedTrackWaitMs);
  EXPECT_TRUE(session_->music.musicFiles.Empty());
  EXPECT_FALSE(session_->music.musicActive);
  EXPECT_TRUE(session_->showRunning);
  EXPECT_FALSE(KillTimer(window_.get(), kFadeTimerId));

  // Nothing plays, so Space sends nothing, and the silent show stays silent.
  const size_t mark = port_.events.size();
  EXPECT_EQ(PauseShow(*session_), S_OK);
  EXPECT_TRUE(session_->paused);
  EXPECT_EQ(ResumeShow(*session_), S_OK);
  OnMusicNotify(MCI_NOTIFY_SUCCESSFUL, *session_);
  EXPECT_EQ(StopMusic(*session_), S_OK);
  EXPECT_EQ(port_.events.size(), mark);
  EXPECT_FALSE(session_->showRunning);
}

TEST_F(MusicPlayerTest, SpacePausesAndResumesTheTrackWithTheShow) {
  SetFiles({L"long.wav"});
  ASSERT_EQ(StartMusic(*session_), S_OK);
  ASSERT_TRUE(PumpUntil([] { return Status(L"mode") == L"playing"; }, 3000));
  const size_t mark = port_.events.size();

  EXPECT_EQ(PauseShow(*session_), S_OK);
  EXPECT_EQ(PauseShow(*session_), S_OK);  // already paused: nothing more
  EXPECT_TRUE(PumpUntil([] { return Status(L"mode") == L"paused"; }, 2000)) << Status(L"mode");
  EXPECT_EQ(ResumeShow(*session_), S_OK);
  EXPECT_EQ(ResumeShow(*session_), S_OK);
  EXPECT_TRUE(PumpUntil([] { return Status(L"mode") == L"playing"; }, 2000)) << Status(L"mode");

  EXPECT_EQ(WithoutFade(mark), (Texts{kCmdPause, kCmdResume}));
  for (size_t i = mark; i < port_.events.size(); ++i) {
    EXPECT_EQ(port_.events[i].result, 0u) << port_.events[i].text;
    EXPECT_EQ(port_.events[i].notifyWindow, nullptr);
  }
}

TEST_F(MusicPlayerTest, StopWhilePlayingClosesTheDeviceAndTheAbortNoticeStartsNothing) {
  SetFiles({L"long.wav", L"short440.wav"});
  ASSERT_EQ(StartMusic(*session_), S_OK);
  ASSERT_TRUE(PumpUntil([] { return Status(L"mode") == L"playing"; }, 3000));
  session_->paused = true;
  const size_t mark = port_.events.size();

  EXPECT_EQ(StopMusic(*session_), S_OK);
  EXPECT_EQ(WithoutFade(mark), (Texts{kCmdStop, kCmdCloseAll}));
  EXPECT_FALSE(session_->showRunning);
  EXPECT_FALSE(session_->music.musicActive);
  EXPECT_FALSE(session_->paused);
  EXPECT_FALSE(KillTimer(window_.get(), kFadeTimerId));
  EXPECT_NE(Status(L"mode"), L"playing");

  const size_t afterStop = port_.events.size();
  PumpFor(1000);
  // A notice that was already on its way, whatever its code, starts nothing.
  OnMusicNotify(MCI_NOTIFY_SUCCESSFUL, *session_);
  OnMusicNotify(MCI_NOTIFY_FAILURE, *session_);
  EXPECT_EQ(port_.events.size(), afterStop);
  // And a second stop does nothing either.
  EXPECT_EQ(StopMusic(*session_), S_OK);
  EXPECT_EQ(port_.events.size(), afterStop);
}

TEST_F(MusicPlayerTest, AbortedAndSupersededNoticesAreIgnoredFailureWaitsThenMovesOn) {
  SetFiles({L"long.wav", L"long.mp3"});
  ASSERT_EQ(StartMusic(*session_), S_OK);
  StopFadeTimer();
  FadeStep(session_->music);
  const size_t mark = port_.events.size();

  OnMusicNotify(MCI_NOTIFY_ABORTED, *session_);
  OnMusicNotify(MCI_NOTIFY_SUPERSEDED, *session_);
  EXPECT_EQ(port_.events.size(), mark);

  // The device cannot be made to fail mid-track on cue; the window gets the
  // notice as the device would send it.
  PostMessageW(window_.get(), MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
  ASSERT_TRUE(PumpUntil([&] { return port_.events.size() >= mark + 7; }, 3000));
  EXPECT_EQ(port_.Texts(mark), (Texts{L"wait 500", kCmdStop, kCmdCloseAll, OpenOf(Track(L"long.mp3")), kCmdPlayNotify,
                                      kCmdVideoOff, kCmdWindowHide}));
  // The file that failed stays in the list.
  EXPECT_EQ(Files(), (Texts{Track(L"long.wav"), Track(L"long.mp3")}));
  EXPECT_EQ(session_->music.musicIndex, 0u);
}

TEST_F(MusicPlayerTest, NothingStartsBeforeTheSessionIsUp) {
  SetFiles({L"long.wav"});
  session_->sessionInitialised = false;
  EXPECT_EQ(StartMusic(*session_), E_INVALIDARG);
  EXPECT_TRUE(port_.events.empty());
  EXPECT_FALSE(session_->showRunning);
  EXPECT_FALSE(session_->music.musicActive);
}

TEST_F(MusicPlayerTest, EmptyListRunsTheShowSilently) {
  EXPECT_EQ(StartMusic(*session_), E_FAIL);
  EXPECT_TRUE(port_.events.empty());
  EXPECT_TRUE(session_->showRunning);
  EXPECT_FALSE(session_->music.musicActive);
  EXPECT_FALSE(KillTimer(window_.get(), kFadeTimerId));
}

}  // namespace
