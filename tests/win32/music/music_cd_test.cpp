// Audio-CD tracks. No CD drive exists here and Wine's CD-audio device does not
// open without one, so these tests alone answer the commands with a fake
// device that accepts everything but the commands a test makes it refuse.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "music/mci_commands.h"
#include "music/music_player.h"
#include "music/music_rules.h"
#include "session/show_music.h"
#include "tests/win32/music/music_test_support.h"

namespace {

using namespace musictest;
using Texts = std::vector<std::wstring>;

constexpr MCIERROR kRefused = MCIERR_OUTOFRANGE;

class FakeCdDrive : public MciPort {
 public:
  MCIERROR Send(const wchar_t* command, HWND) override { return refuse.count(command) ? kRefused : 0; }
  void Wait(DWORD) override {}
  std::set<std::wstring> refuse;
};

class MusicCdTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.get());
    session_->sessionInitialised = true;
  }
  void TearDown() override { KillTimer(window_.get(), kFadeTimerId); }

  std::unique_ptr<SlideshowSession> session_ = std::make_unique<SlideshowSession>();
  MusicWindow window_{*session_};
  FakeCdDrive drive_;
  RecordingPort port_{drive_};
  ScopedMciPort route_{port_};
};

constexpr wchar_t kOpenDriveD[] = L"open  \"D:\\\" type cdaudio alias currentMusic";

TEST_F(MusicCdTest, FirstTrackPlaysFromItselfToTheNextWithoutVolumeOrVideoCommands) {
  session_->music.musicFiles.Append(L"D:\\Track01.cda");
  ASSERT_EQ(StartMusic(*session_), S_OK);
  EXPECT_EQ(port_.Texts(), (Texts{kOpenDriveD, kCmdTimeFormatTmsf, L"play currentMusic from 1 to 2 notify"}));
  EXPECT_EQ(port_.events[0].notifyWindow, nullptr);
  EXPECT_EQ(port_.events[1].notifyWindow, nullptr);
  EXPECT_EQ(port_.events[2].notifyWindow, window_.get());
  EXPECT_TRUE(session_->music.cdTrack);
  EXPECT_TRUE(session_->music.musicActive);
}

TEST_F(MusicCdTest, LastTrackOfTheDiscFallsBackToPlayingToTheEnd) {
  session_->music.musicFiles.Append(L"D:\\Track12.cda");
  drive_.refuse = {L"play currentMusic from 12 to 13 notify"};
  ASSERT_EQ(StartMusic(*session_), S_OK);
  EXPECT_EQ(port_.Texts(), (Texts{kOpenDriveD, kCmdTimeFormatTmsf, L"play currentMusic from 12 to 13 notify",
                                  L"play currentMusic from 12 notify"}));
  EXPECT_EQ(port_.events[3].notifyWindow, window_.get());
}

TEST_F(MusicCdTest, TrackThatPlaysNeitherWayIsDroppedForTheNext) {
  session_->music.musicFiles.Append(L"D:\\Track12.cda");
  session_->music.musicFiles.Append(L"E:\\Track03.cda");
  drive_.refuse = {L"play currentMusic from 12 to 13 notify", L"play currentMusic from 12 notify"};
  ASSERT_EQ(StartMusic(*session_), S_OK);
  EXPECT_EQ(port_.Texts(), (Texts{kOpenDriveD, kCmdTimeFormatTmsf, L"play currentMusic from 12 to 13 notify",
                                  L"play currentMusic from 12 notify", kCmdStop, kCmdCloseAll, L"wait 30",
                                  L"open  \"E:\\\" type cdaudio alias currentMusic", kCmdTimeFormatTmsf,
                                  L"play currentMusic from 3 to 4 notify"}));
  ASSERT_EQ(session_->music.musicFiles.Count(), 1u);
  EXPECT_EQ(session_->music.musicFiles[0], L"E:\\Track03.cda");
}

TEST_F(MusicCdTest, DriveThatDoesNotOpenCostsOneAttempt) {
  session_->music.musicFiles.Append(L"D:\\Track01.cda");
  drive_.refuse = {kOpenDriveD};
  EXPECT_EQ(StartMusic(*session_), E_FAIL);
  EXPECT_EQ(port_.Texts(), (Texts{kOpenDriveD, kCmdStop, kCmdCloseAll, L"wait 30"}));
  EXPECT_FALSE(session_->music.musicActive);
}

TEST_F(MusicCdTest, FadeSendsNothingToTheCdButStillEndsOnTime) {
  session_->music.musicFiles.Append(L"D:\\Track05.cda");
  ASSERT_EQ(StartMusic(*session_), S_OK);
  const size_t mark = port_.events.size();
  for (int step = 0; step < 20; ++step) FadeStep(session_->music);
  EXPECT_EQ(port_.events.size(), mark);
  EXPECT_EQ(session_->music.fadeVolume, kFadeEnd);
  EXPECT_FALSE(KillTimer(window_.get(), kFadeTimerId));
}

TEST_F(MusicCdTest, FileAfterACdTrackGetsTheFadeAgain) {
  session_->music.musicFiles.Append(L"D:\\Track05.cda");
  session_->music.musicFiles.Append(L"C:\\Music\\song.mp3");
  ASSERT_EQ(StartMusic(*session_), S_OK);
  FadeStep(session_->music);
  OnMusicNotify(MCI_NOTIFY_SUCCESSFUL, *session_);
  FadeStep(session_->music);
  EXPECT_FALSE(session_->music.cdTrack);
  EXPECT_EQ(port_.Texts(3),
            (Texts{kCmdStop, kCmdCloseAll, L"open \"C:\\Music\\song.mp3\" type mpegvideo alias currentMusic",
                   kCmdPlayNotify, kCmdVideoOff, kCmdWindowHide, L"setaudio currentMusic volume to 100"}));
}

}  // namespace
