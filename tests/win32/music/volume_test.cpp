// Up, Down and Enter against Wine's real mixer. The test reads and writes the
// speakers line's controls itself, and puts back what it found.
#include <windows.h>
// after windows.h, whose types it uses
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <optional>

#include "music/volume.h"

namespace {

// Direct access to one control of the speakers line of mixer 0.
class SpeakerControl {
 public:
  explicit SpeakerControl(DWORD type) {
    if (mixerOpen(&mixer_, 0, 0, 0, 0) != MMSYSERR_NOERROR) {
      mixer_ = nullptr;
      return;
    }
    MIXERLINEW line{};
    line.cbStruct = sizeof(line);
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    if (mixerGetLineInfoW(obj(), &line, MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR) return;
    MIXERCONTROLW control{};
    control.cbStruct = sizeof(control);
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof(controls);
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = type;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof(control);
    controls.pamxctrl = &control;
    if (mixerGetLineControlsW(obj(), &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR)
      id_ = control.dwControlID;
  }
  ~SpeakerControl() {
    if (mixer_) mixerClose(mixer_);
  }
  SpeakerControl(const SpeakerControl&) = delete;
  SpeakerControl& operator=(const SpeakerControl&) = delete;

  bool ok() const { return id_.has_value(); }
  std::optional<DWORD> Get() {
    DWORD value = 0xDEADBEEF;  // a sentinel the mixer must overwrite
    auto details = Details(value);
    if (mixerGetControlDetailsW(obj(), &details, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR) return {};
    return value;
  }
  bool Set(DWORD value) {
    auto details = Details(value);
    return mixerSetControlDetails(obj(), &details, MIXER_SETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
  }

 private:
  HMIXEROBJ obj() const { return reinterpret_cast<HMIXEROBJ>(mixer_); }
  MIXERCONTROLDETAILS Details(DWORD& value) const {
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof(details);
    details.dwControlID = id_.value_or(0);
    details.cChannels = 1;
    details.cbDetails = sizeof(value);
    details.paDetails = &value;
    return details;
  }
  HMIXER mixer_ = nullptr;
  std::optional<DWORD> id_;
};

class VolumeTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(volume_.ok()) << "no speakers volume control on mixer 0";
    ASSERT_TRUE(mute_.ok()) << "no speakers mute control on mixer 0";
    savedVolume_ = volume_.Get();
    savedMute_ = mute_.Get();
    ASSERT_TRUE(savedVolume_ && savedMute_);
  }
  void TearDown() override {
    volume_.Set(*savedVolume_);
    mute_.Set(*savedMute_);
  }
  // Puts exactly `value` on the mixer. Wine keeps the level as a fraction
  // and reads about half of all values back one lower (measured: never more);
  // writing one above then lands on `value`.
  bool Hold(DWORD value) {
    for (DWORD attempt : {value, value + 1}) {
      if (volume_.Set(attempt) && volume_.Get() == value) return true;
    }
    return false;
  }
  // The volume after one press from exactly `start`.
  DWORD Press(DWORD start, int step) {
    EXPECT_TRUE(Hold(start)) << "the mixer cannot hold " << start;
    EXPECT_EQ(AdjustVolume(step), S_OK);
    return volume_.Get().value_or(0xDEADBEEF);
  }
  // What AdjustVolume wrote may read back one lower, as above; 0 and 0xFFFF
  // always read back exactly.
  static testing::AssertionResult Written(DWORD got, DWORD want) {
    if (got == want || (want != 0 && want != 0xFFFF && got == want - 1)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "volume " << got << ", expected " << want;
  }

  SpeakerControl volume_{MIXERCONTROL_CONTROLTYPE_VOLUME};
  SpeakerControl mute_{MIXERCONTROL_CONTROLTYPE_MUTE};
  std::optional<DWORD> savedVolume_, savedMute_;
};

TEST_F(VolumeTest, UpStepsBy4096AndStopsAtFull) {
  EXPECT_TRUE(Written(Press(0x8000, +1), 0x9000));
  EXPECT_TRUE(Written(Press(0, +1), 0x1000));
  EXPECT_TRUE(Written(Press(0xEFFE, +1), 0xFFFE));
  EXPECT_EQ(Press(0xEFFF, +1), 0xFFFFu);
  EXPECT_EQ(Press(0xF000, +1), 0xFFFFu);
  EXPECT_EQ(Press(0xFFFF, +1), 0xFFFFu);
}

TEST_F(VolumeTest, DownStepsBy4096AndStopsAtSilence) {
  EXPECT_TRUE(Written(Press(0x8000, -1), 0x7000));
  EXPECT_TRUE(Written(Press(0xFFFF, -1), 0xEFFF));
  EXPECT_TRUE(Written(Press(4097, -1), 1));
  EXPECT_EQ(Press(4096, -1), 0u);
  EXPECT_EQ(Press(4095, -1), 0u);
  EXPECT_EQ(Press(0, -1), 0u);
}

TEST_F(VolumeTest, SixteenUpsFromSilenceReachFull) {
  ASSERT_TRUE(Hold(0));
  for (int press = 1; press <= 15; ++press) {
    EXPECT_EQ(AdjustVolume(+1), S_OK);
    EXPECT_LT(volume_.Get(), 0xFFFFu) << "full after only " << press << " presses";
  }
  EXPECT_EQ(AdjustVolume(+1), S_OK);
  EXPECT_EQ(volume_.Get(), 0xFFFFu);
}

TEST_F(VolumeTest, EnterTogglesMuteAndTwiceRestoresIt) {
  for (DWORD start : {0u, 1u}) {
    ASSERT_TRUE(mute_.Set(start));
    ASSERT_TRUE(Hold(0x5000));
    EXPECT_EQ(AdjustVolume(0), S_OK);
    EXPECT_EQ(mute_.Get(), start ? 0u : 1u);
    EXPECT_EQ(AdjustVolume(0), S_OK);
    EXPECT_EQ(mute_.Get(), start);
    // Muting leaves the volume where it was.
    EXPECT_EQ(volume_.Get(), 0x5000u);
  }
}

TEST_F(VolumeTest, UpAndDownNeverTouchMute) {
  for (DWORD muted : {0u, 1u}) {
    ASSERT_TRUE(mute_.Set(muted));
    ASSERT_TRUE(Hold(0x4000));
    EXPECT_EQ(AdjustVolume(+1), S_OK);
    EXPECT_EQ(mute_.Get(), muted);
    EXPECT_EQ(AdjustVolume(-1), S_OK);
    EXPECT_EQ(AdjustVolume(-1), S_OK);
    EXPECT_EQ(mute_.Get(), muted);
    // Each step reads what the last one wrote, so the one-lower readings add up.
    const DWORD volume = volume_.Get().value_or(0);
    EXPECT_LE(volume, 0x3000u);
    EXPECT_GE(volume, 0x3000u - 3);
  }
}

}  // namespace
