#include "session/show_music.h"

#include "session/playlists.h"

HRESULT StartMusic(SlideshowSession& session) {
  if (!session.sessionInitialised) return E_INVALIDARG;
  if (session.showRunning) return S_OK;
  MusicPlayback& music = session.music;
  music.window = session.window;
  music.reshuffle = session.sessionSettings.musicRandom ? SeedAndShuffle<MediaList> : nullptr;
  const HRESULT result = StartPlayback(music);
  session.showRunning = true;
  session.paused = false;
  return result;
}

HRESULT StopMusic(SlideshowSession& session) {
  if (!session.showRunning) return S_OK;
  StopPlayback(session.music);
  session.showRunning = false;
  session.paused = false;
  return S_OK;
}

void OnMusicNotify(WPARAM code, SlideshowSession& session) {
  // A notice already queued when the show stopped must not start the music again.
  if (!session.showRunning) return;
  OnTrackNotify(code, session.music);
}
