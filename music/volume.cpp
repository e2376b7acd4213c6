#include "music/volume.h"

#include <mmsystem.h>

#include <utility>

#include "music/music_rules.h"

namespace {

class AutoMixer {
 public:
  AutoMixer() = default;
  AutoMixer(AutoMixer&& other) noexcept : mixer_(std::exchange(other.mixer_, nullptr)) {}
  AutoMixer& operator=(AutoMixer&&) = delete;
  AutoMixer(const AutoMixer&) = delete;
  AutoMixer& operator=(const AutoMixer&) = delete;
  ~AutoMixer() {
    if (mixer_) mixerClose(mixer_);
  }
  HMIXER* put() { return &mixer_; }
  HMIXEROBJ object() const { return reinterpret_cast<HMIXEROBJ>(mixer_); }

 private:
  HMIXER mixer_ = nullptr;
};

// The identifier of the speakers line's control of `controlType`.
bool FindControl(HMIXEROBJ mixer, DWORD controlType, DWORD& controlId) {
  MIXERLINEW line{};
  line.cbStruct = sizeof(line);
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  if (mixerGetLineInfoW(mixer, &line, MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR) return false;

  MIXERCONTROLW control{};
  control.cbStruct = sizeof(control);
  MIXERLINECONTROLSW controls{};
  controls.cbStruct = sizeof(controls);
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = controlType;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof(control);
  controls.pamxctrl = &control;
  if (mixerGetLineControlsW(mixer, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR) return false;
  controlId = control.dwControlID;
  return true;
}

}  // namespace

HRESULT AdjustVolume(int step) {
  AutoMixer mixer;
  if (mixerOpen(mixer.put(), 0, 0, 0, 0) != MMSYSERR_NOERROR) return E_FAIL;

  const bool mute = step == 0;
  DWORD controlId = 0;
  if (!FindControl(mixer.object(), mute ? MIXERCONTROL_CONTROLTYPE_MUTE : MIXERCONTROL_CONTROLTYPE_VOLUME, controlId))
    return E_FAIL;

  // Volume is one unsigned and mute one boolean value, both 32 bits, for
  // all channels together.
  DWORD value = 0;
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof(details);
  details.dwControlID = controlId;
  details.cChannels = 1;
  details.cbDetails = sizeof(value);
  details.paDetails = &value;
  if (mixerGetControlDetailsW(mixer.object(), &details, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
    return E_FAIL;

  value = mute ? ToggledMute(value) : SteppedVolume(value, step);
  if (mixerSetControlDetails(mixer.object(), &details, MIXER_SETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
    return E_FAIL;
  return S_OK;
}
