#pragma once
// The background music of the running show: the tracks of musicFiles, one at
// a time under the alias currentMusic, the first fading in from silence over
// ten seconds, failing files dropped, the list wrapping around (reshuffled
// when the owner asks for it). Everything runs on the saver window's thread:
// the window procedure forwards WM_TIMER kFadeTimerId to FadeStep and
// MM_MCINOTIFY to OnTrackNotify.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "settings/saver_settings.h"

// The music state of one show; the session owns it.
struct MusicPlayback {
  HWND window = nullptr;  // receives MM_MCINOTIFY and the fade timer
  MediaList musicFiles;
  uint32_t musicIndex = 0;
  int32_t fadeVolume = 0;
  bool musicActive = false;
  bool cdTrack = false;
  // A new order for the next pass, run each time the list wraps; empty keeps
  // the order.
  std::function<void(MediaList&)> reshuffle;
};

// Starts the first playable track and the fade timer. E_FAIL when no entry
// plays (the show then runs silently).
HRESULT StartPlayback(MusicPlayback& music);
// Closes the track and stops the fade. Always S_OK.
HRESULT StopPlayback(MusicPlayback& music);
// One tick of the fade-in timer.
void FadeStep(MusicPlayback& music);
// Opens and plays the entry at musicIndex, dropping entries that fail until
// one plays; E_FAIL once the list is empty.
HRESULT PlayNextTrack(MusicPlayback& music);
// One attempt at the entry at musicIndex. On failure the alias may be left
// open: the caller closes it.
HRESULT OpenAndPlayTrack(MusicPlayback& music);
// Stops and closes the open track. Always S_OK.
HRESULT CloseMusic(MusicPlayback& music);
// MM_MCINOTIFY with its notification code: the end of a track moves on to the
// next one, a device failure too after a pause; aborted and superseded
// notices (from the player's own stop) change nothing.
void OnTrackNotify(WPARAM code, MusicPlayback& music);

// The music side of pausing and resuming the show; called only while music
// is playing.
void PauseMusic();
void ResumeMusic();
