#include "session/session_lifecycle.h"

#include "render/render_maths.h"
#include "session/loader_thread.h"
#include "session/monitor_shows.h"
#include "session/playlists.h"
#include "session/render_thread.h"
#include "session/staging_surface.h"
#include "settings/settings_store.h"

namespace {

// The texels a show on its monitor wants. The primary's full-screen window
// spans every monitor, so the monitor holding most of it may be another one
// (a 4K screen beside a 1080p primary): the adapter's own monitor decides.
// Another monitor's window covers that monitor alone, whichever adapter
// draws it.
int ScreenPhotoEdge(const SlideshowSession& session, HWND window) {
  IDirect3D9* d3d = session.renderer.d3d.get();
  HMONITOR monitor = d3d && !IsOtherMonitorShow(session) ? d3d->GetAdapterMonitor(session.renderer.adapter) : nullptr;
  if (!monitor) monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return kMinStagingEdge;
  return PhotoEdgeFor(static_cast<uint32_t>(info.rcMonitor.right - info.rcMonitor.left),
                      static_cast<uint32_t>(info.rcMonitor.bottom - info.rcMonitor.top));
}

// A failed start step, carrying its result code out of StartSession only.
struct StartFailure {
  HRESULT result;
};

void Check(HRESULT result) {
  if (FAILED(result)) throw StartFailure{result};
}

// Releases, in the stop order, whatever a start has made; what does not exist
// is skipped; the staging texture goes with the device. A worker left
// running (deep in a decode) keeps everything it may touch: the events, GDI+
// and the surface it draws on, and the device for the render thread.
void ReleaseSession(SlideshowSession& session, bool release) {
  session.fineTimer.End();
  if (!release) {
    // The process ends with the window and takes the workers with it
    // wherever they are: on a busy machine, waiting for a frame or a decode
    // to finish would only hold back the exit the user asked for.
    session.loaderStopping = true;
    for (const AutoHandle* stop : {&session.stopRenderEvent, &session.stopLoaderEvent, &session.stopWalkEvent}) {
      if (*stop) SetEvent(stop->get());
    }
    session.firstFrame = false;
    session.sessionInitialised = false;
    session.workersLeftRunning = true;
    return;
  }
  const bool renderStopped = StopRenderThread(session);
  const bool loaderStopped = StopLoaderThread(session);
  session.firstFrame = false;
  session.sessionInitialised = false;
  if (!renderStopped || !loaderStopped) {
    session.workersLeftRunning = true;
    return;
  }
  if (!release) return;
  session.loadPhotoEvent.reset();
  session.loadCompleteEvent.reset();
  session.stopLoaderEvent.reset();
  session.stopRenderEvent.reset();
  session.repaintEvent.reset();
  StopStagingGraphics(session);
  session.renderer.Release();
}

// A start on a record a previous session's worker may still use would
// rewrite what that worker reads and draws on: such a start is refused.
HRESULT StartRefusal(const SlideshowSession& session) {
  if (session.workersLeftRunning) return kWorkerStillRunning;
  return session.sessionInitialised ? S_FALSE : S_OK;
}

}  // namespace

HRESULT PrepareSession(SlideshowSession& session) {
  if (const HRESULT refused = StartRefusal(session); refused != S_OK) return refused;
  // Making a Direct3D object is slow (a good part of a second under Wine): the
  // capability check and the device share one.
  session.renderer.CreateDirect3D();
  LoadSettings(session.renderer.d3d.get());
  LimitEffectsToShaderLevel();
  CopyShowSettings(session, saverSettings);
  // The loader walks the folders; the music starts when it is done
  // (kListsReadyMessage), the first photo shows when it is staged.
  session.photoEntries = photoEntries;
  session.musicEntries = musicEntries;
  session.listsToExpand = true;
  session.listsReady = false;
  return S_OK;
}

HRESULT BeginSession(HWND window, bool fullScreen, SlideshowSession& session) {
  const HRESULT prepared = PrepareSession(session);
  if (prepared != S_OK) return SUCCEEDED(prepared) ? S_OK : prepared;
  return StartSession(fullScreen, window, session);
}

HRESULT StartSession(bool fullScreen, HWND window, SlideshowSession& session) {
  if (const HRESULT refused = StartRefusal(session); refused != S_OK) return SUCCEEDED(refused) ? S_OK : refused;
  session.window = window;
  session.renderer.fullScreen = fullScreen;
  try {
    session.fineTimer.Begin(1);
    // Full screen, and on every monitor of a show on several, the photo gets
    // as many texels as its screen has pixels (the card and memory
    // permitting); the preview keeps the smallest size.
    session.renderer.CreateDirect3D();
    Renderer& renderer = session.renderer;
    renderer.photoEdge = fullScreen || session.monitors
                             ? renderer.PhotoEdgeTheCardTakes(ScreenPhotoEdge(session, window))
                             : kMinStagingEdge;
    Check(CreateLoaderEvents(session));
    // The loader expands the lists while the device is made; the first photo
    // decodes once the staging texture exists. The render thread's first
    // frame waits for its completion, however long a sleeping disk or a run
    // of bad files takes, while the window thread goes on (black screen,
    // keys, music).
    Check(StartLoaderThread(session));
    // The first photo decodes while the card makes the first frame: the lock
    // comes before that frame, which it would otherwise wait for.
    Check(session.renderer.Init(window, [&session] {
      const HRESULT locked = HandStagingToLoader(session);
      if (SUCCEEDED(locked)) SetEvent(session.loadPhotoEvent.get());
      return locked;
    }));
    session.firstFrame = true;
    session.nextPhotoDue = false;
    session.frameInterval = session.renderer.frameInterval;
    Check(StartRenderThread(session));
  } catch (const StartFailure& failure) {
    ReleaseSession(session, true);
    return failure.result;
  }
  session.sessionInitialised = true;
  return S_OK;
}

HRESULT StopSession(SlideshowSession& session, bool release) {
  if (!session.sessionInitialised) return S_OK;
  ReleaseSession(session, release);
  return S_OK;
}
