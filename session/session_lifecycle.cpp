#include "session/session_lifecycle.h"

#include "session/loader_thread.h"
#include "session/playlists.h"
#include "session/render_thread.h"
#include "session/show_music.h"
#include "session/staging_surface.h"
#include "settings/settings_store.h"

namespace {

// A failed start step, carrying its result code out of StartSession only.
struct StartFailure {
  HRESULT result;
};

void Check(HRESULT result) {
  if (FAILED(result)) throw StartFailure{result};
}

// Releases, in the stop order, whatever a start has made; what does not exist
// is skipped. The staging surface stays until the process ends.
void ReleaseSession(SlideshowSession& session) {
  StopRenderThread(session);
  StopLoaderThread(session);
  session.loadPhotoEvent.reset();
  session.loadCompleteEvent.reset();
  session.stopLoaderEvent.reset();
  session.stopRenderEvent.reset();
  StopStagingGraphics(session);
  session.renderer.Release();
  session.firstFrame = false;
  session.sessionInitialised = false;
}

}  // namespace

HRESULT BeginSession(HWND window, bool fullScreen, SlideshowSession& session) {
  LoadSettings();
  LimitEffectsToShaderLevel();
  BuildPlaylists(session, saverSettings, photoEntries, musicEntries);
  const HRESULT started = StartSession(fullScreen, window, session);
  if (FAILED(started)) return started;
  return StartMusic(session);
}

HRESULT StartSession(bool fullScreen, HWND window, SlideshowSession& session) {
  if (session.sessionInitialised) return S_OK;
  session.window = window;
  session.renderer.fullScreen = fullScreen;
  try {
    Check(CreateStagingSurface(session, window));
    Check(session.renderer.Init(window));
    session.frameInterval = session.renderer.frameInterval;
    Check(StartStagingGraphics(session));
    Check(CreateLoaderEvents(session));
    Check(StartLoaderThread(session));

    // The first photo is staged before anything is drawn.
    SetEvent(session.loadPhotoEvent.get());
    if (WaitForSingleObject(session.loadCompleteEvent.get(), kFirstPhotoWaitMs) != WAIT_OBJECT_0) {
      throw StartFailure{E_FAIL};
    }
    // Hand the completion on to the render thread's first frame.
    SetEvent(session.loadCompleteEvent.get());
    session.firstFrame = true;

    Check(StartRenderThread(session));
  } catch (const StartFailure& failure) {
    ReleaseSession(session);
    return failure.result;
  }
  session.sessionInitialised = true;
  return S_OK;
}

HRESULT StopSession(SlideshowSession& session) {
  if (!session.sessionInitialised) return S_OK;
  ReleaseSession(session);
  return S_OK;
}
