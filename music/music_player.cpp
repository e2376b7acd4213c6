#include "music/music_player.h"

#include <mmsystem.h>

#include <cstdlib>
#include <string>

#include "music/mci_commands.h"
#include "music/mci_port.h"
#include "music/music_rules.h"
#include "session/shuffle.h"

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

HRESULT PlayFile(const SlideshowSession& session) {
  // Only tracks opened before the first fade step start silent; later ones
  // play at the device's own volume, which the fade then reaches.
  if (session.fadeVolume == 0) Sent(kCmdVolumeZero);
  if (!Sent(kCmdPlayNotify, session.window)) return E_FAIL;
  // A video file plays its sound only. Audio files answer with errors here.
  Sent(kCmdVideoOff);
  Sent(kCmdWindowHide);
  return S_OK;
}

}  // namespace

HRESULT OpenAndPlayTrack(SlideshowSession& session) {
  const std::wstring& path = session.musicFiles[session.musicIndex];
  session.cdTrack = IsCdTrackPath(path);
  if (!Sent(OpenCommand(path, session.cdTrack).c_str())) return E_FAIL;
  return session.cdTrack ? PlayCdTrack(CdTrackNumberOf(path), session.window) : PlayFile(session);
}

HRESULT PlayNextTrack(SlideshowSession& session) {
  MciPort& mci = CurrentMciPort();
  for (;;) {
    if (session.musicFiles.Empty()) return E_FAIL;
    if (session.musicIndex >= session.musicFiles.Count()) session.musicIndex = 0;
    if (SUCCEEDED(OpenAndPlayTrack(session))) break;
    Sent(kCmdStop, session.window);
    Sent(kCmdCloseAll, session.window);
    session.musicFiles.RemoveAt(session.musicIndex);
    session.musicIndex = IndexAfterRemoval(session.musicIndex, session.musicFiles.Count());
    mci.Wait(kFailedTrackWaitMs);
  }
  session.musicIndex = IndexAfterPlay(session.musicIndex, session.musicFiles.Count());
  if (session.musicIndex == 0 && session.sessionSettings.musicRandom) {
    // The track just started plays on; the new order begins with the next one.
    srand(GetTickCount());
    ShuffleList(session.musicFiles);
  }
  return S_OK;
}

HRESULT CloseMusic(SlideshowSession& session) {
  if (!session.musicFiles.Empty()) {
    Sent(kCmdStop, session.window);
    Sent(kCmdCloseAll, session.window);
  }
  return S_OK;
}

HRESULT StartMusic(SlideshowSession& session) {
  if (!session.sessionInitialised) return E_INVALIDARG;
  if (session.showRunning) return S_OK;
  session.fadeVolume = 0;
  const HRESULT result = PlayNextTrack(session);
  session.musicActive = SUCCEEDED(result);
  if (session.musicActive) SetTimer(session.window, kFadeTimerId, kFadeTimerMs, nullptr);
  session.showRunning = true;
  session.paused = false;
  return result;
}

HRESULT StopMusic(SlideshowSession& session) {
  if (!session.showRunning) return S_OK;
  CloseMusic(session);
  session.musicActive = false;
  KillTimer(session.window, kFadeTimerId);
  session.showRunning = false;
  session.paused = false;
  return S_OK;
}

void FadeStep(SlideshowSession& session) {
  const FadeTick tick = NextFadeTick(session.fadeVolume);
  session.fadeVolume = tick.volume;
  // The CD-audio device has no volume; the count runs on regardless.
  if (!session.cdTrack) Sent(VolumeCommand(tick.volume).c_str());
  if (tick.finished) KillTimer(session.window, kFadeTimerId);
}

void OnMusicNotify(WPARAM code, SlideshowSession& session) {
  // A notice already queued when the show stopped must not start the music again.
  if (!session.showRunning) return;
  switch (code) {
    case MCI_NOTIFY_SUCCESSFUL:
      break;
    case MCI_NOTIFY_FAILURE:
      CurrentMciPort().Wait(kFailureNoticeWaitMs);
      break;
    default:
      return;
  }
  CloseMusic(session);
  PlayNextTrack(session);
}

void PauseMusic() { Sent(kCmdPause); }
void ResumeMusic() { Sent(kCmdResume); }
