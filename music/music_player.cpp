#include "music/music_player.h"

#include <mmsystem.h>

#include <string>

#include "music/mci_commands.h"
#include "music/mci_port.h"
#include "music/music_rules.h"

namespace {

bool Sent(const wchar_t* command, HWND notifyWindow = nullptr) {
  return CurrentMciPort().Send(command, notifyWindow) == 0;
}

HRESULT PlayCdTrack(CdTrackNumber track, HWND window) {
  Sent(kCmdTimeFormatTmsf);
  if (Sent(PlayOneTrackCommand(track).c_str(), window)) return S_OK;
  // The last track of a disc has no successor to stop at.
  if (Sent(PlayFromTrackCommand(track).c_str(), window)) return S_OK;
  return E_FAIL;
}

HRESULT PlayFile(const MusicPlayback& music) {
  // Only tracks opened before the first fade step start silent; later ones
  // play at the device's own volume, which the fade then reaches.
  if (music.fadeVolume == 0) Sent(kCmdVolumeZero);
  if (!Sent(kCmdPlayNotify, music.window)) return E_FAIL;
  // A video file plays its sound only. Audio files answer with errors here.
  Sent(kCmdVideoOff);
  Sent(kCmdWindowHide);
  return S_OK;
}

}  // namespace

HRESULT OpenAndPlayTrack(MusicPlayback& music) {
  const std::wstring& path = music.musicFiles[music.musicIndex];
  music.cdTrack = IsCdTrackPath(path);
  if (!Sent(OpenCommand(path, music.cdTrack).c_str())) return E_FAIL;
  return music.cdTrack ? PlayCdTrack(CdTrackNumberOf(path), music.window) : PlayFile(music);
}

HRESULT PlayNextTrack(MusicPlayback& music) {
  MciPort& mci = CurrentMciPort();
  for (;;) {
    if (music.musicFiles.Empty()) return E_FAIL;
    if (music.musicIndex >= music.musicFiles.Count()) music.musicIndex = 0;
    if (SUCCEEDED(OpenAndPlayTrack(music))) break;
    Sent(kCmdStop, music.window);
    Sent(kCmdCloseAll, music.window);
    music.musicFiles.RemoveAt(music.musicIndex);
    music.musicIndex = IndexAfterRemoval(music.musicIndex, music.musicFiles.Count());
    mci.Wait(kFailedTrackWaitMs);
  }
  music.musicIndex = IndexAfter(music.musicIndex, music.musicFiles.Count());
  // The track just started plays on; a new order begins with the next one.
  if (music.musicIndex == 0 && music.reshuffle) music.reshuffle(music.musicFiles);
  return S_OK;
}

HRESULT CloseMusic(MusicPlayback& music) {
  if (!music.musicFiles.Empty()) {
    Sent(kCmdStop, music.window);
    Sent(kCmdCloseAll, music.window);
  }
  return S_OK;
}

HRESULT StartPlayback(MusicPlayback& music) {
  music.fadeVolume = 0;
  const HRESULT result = PlayNextTrack(music);
  music.musicActive = SUCCEEDED(result);
  if (music.musicActive) SetTimer(music.window, kFadeTimerId, kFadeTimerMs, nullptr);
  return result;
}

HRESULT StopPlayback(MusicPlayback& music) {
  CloseMusic(music);
  music.musicActive = false;
  KillTimer(music.window, kFadeTimerId);
  return S_OK;
}

void FadeStep(MusicPlayback& music) {
  const FadeTick tick = NextFadeTick(music.fadeVolume);
  music.fadeVolume = tick.volume;
  // The CD-audio device has no volume; the count runs on regardless.
  if (!music.cdTrack) Sent(VolumeCommand(tick.volume).c_str());
  if (tick.finished) KillTimer(music.window, kFadeTimerId);
}

void OnTrackNotify(WPARAM code, MusicPlayback& music) {
  switch (code) {
    case MCI_NOTIFY_SUCCESSFUL:
      break;
    case MCI_NOTIFY_FAILURE:
      CurrentMciPort().Wait(kFailureNoticeWaitMs);
      break;
    default:
      return;
  }
  CloseMusic(music);
  PlayNextTrack(music);
}

void PauseMusic() { Sent(kCmdPause); }
void ResumeMusic() { Sent(kCmdResume); }
