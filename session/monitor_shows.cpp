#include "session/monitor_shows.h"

#include "session/monitor_rules.h"
#include "session/playlists.h"
#include "session/session_lifecycle.h"

namespace {

constexpr DWORD kEmptyListPollMs = 100;

// The adapter whose monitor holds the window; the default one when no
// adapter reports it (one card may report all its monitors as one).
UINT AdapterOfWindow(IDirect3D9* d3d, HWND window) {
  const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  const UINT adapters = d3d ? d3d->GetAdapterCount() : 0;
  for (UINT adapter = 0; adapter < adapters; ++adapter) {
    if (d3d->GetAdapterMonitor(adapter) == monitor) return adapter;
  }
  return D3DADAPTER_DEFAULT;
}

bool ClaimedByAnother(const MonitorShows& shared, uint32_t monitor, const std::wstring& path) {
  for (uint32_t other = 0; other < shared.claims.size(); ++other) {
    if (other == monitor) continue;
    const MonitorShows::Claims& claims = shared.claims[other];
    if (claims.shown == path || claims.staged == path) return true;
  }
  return false;
}

}  // namespace

MonitorShows::MonitorShows() : photosPublished(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool IsOtherMonitorShow(const SlideshowSession& session) { return session.monitors && session.monitorNumber != 0; }

const wchar_t* SessionEventName(const SlideshowSession& session, const wchar_t* name) {
  return IsOtherMonitorShow(session) ? nullptr : name;
}

void StartOtherMonitorShows(SlideshowSession& primary) {
  if (!primary.monitors || !primary.sessionInitialised) return;
  for (SlideshowSession* show : primary.monitors->shows) {
    if (show == &primary || !show->window) continue;
    SlideshowSession& other = *show;
    other.sessionSettings = primary.sessionSettings;
    other.listsToExpand = false;
    other.listsReady = true;
    const UINT own = AdapterOfWindow(primary.renderer.d3d.get(), other.window);
    // A driver may refuse a device on the monitor's own adapter (Wine does
    // on a second Xinerama head); the default adapter's device then draws
    // through the window wherever it is, at the cost of a copy.
    for (const UINT adapter : {own, static_cast<UINT>(D3DADAPTER_DEFAULT)}) {
      other.renderer.d3d = primary.renderer.d3d.Share();
      other.renderer.adapter = adapter;
      if (StartSession(false, other.window, other) == S_OK) {
        other.showRunning = true;
        break;
      }
      if (adapter == D3DADAPTER_DEFAULT) break;
    }
  }
}

void PublishPhotos(SlideshowSession& session) {
  if (!session.monitors || session.monitorNumber != 0) return;
  MonitorShows& shared = *session.monitors;
  std::lock_guard hold(shared.lock);
  if (shared.photosVersion != 0 && shared.photos.Count() == session.photoFiles.Count()) return;
  shared.photos = session.photoFiles;
  ++shared.photosVersion;
  SetEvent(shared.photosPublished.get());
}

bool TakePublishedPhotos(SlideshowSession& session) {
  MonitorShows& shared = *session.monitors;
  const HANDLE stop = session.stopLoaderEvent.get();
  const HANDLE waitOn[2] = {shared.photosPublished.get(), stop};
  // An empty list (a first walk yet to find its photos) is waited out: the
  // primary publishes again when its list grows.
  const bool firstList = session.photosVersion == 0;
  for (DWORD wait = INFINITE;; wait = kEmptyListPollMs) {
    if (WaitForMultipleObjects(2, waitOn, FALSE, INFINITE) != WAIT_OBJECT_0 ||
        (wait != INFINITE && WaitForSingleObject(stop, wait) == WAIT_OBJECT_0)) {
      SetEvent(stop);  // the loader's own to see again
      return false;
    }
    std::lock_guard hold(shared.lock);
    if (shared.photosVersion == session.photosVersion) {
      if (session.photoFiles.Empty()) continue;
      return true;
    }
    session.photoFiles = shared.photos;
    session.photosVersion = shared.photosVersion;
    if (!session.photoFiles.Empty()) break;
  }
  const auto monitors = static_cast<uint32_t>(shared.shows.size());
  if (session.sessionSettings.photoRandom) {
    SeedAndShuffle(session.photoFiles);
    session.photoIndex = 0;
  } else if (firstList) {
    session.photoIndex = MonitorStartIndex(session.photoFiles.Count(), session.monitorNumber, monitors);
  }  // a later list (the walk found more) goes on from where the show is
  return true;
}

void SkipPhotosOnOtherMonitors(SlideshowSession& session) {
  if (!session.monitors || session.photoFiles.Empty()) return;
  MonitorShows& shared = *session.monitors;
  std::lock_guard hold(shared.lock);
  session.photoIndex = FirstUnclaimedIndex(session.photoFiles.Count(), session.photoIndex, [&](uint32_t index) {
    return ClaimedByAnother(shared, session.monitorNumber, session.photoFiles[index]);
  });
}

std::unique_lock<std::mutex> DecodeTurn(SlideshowSession& session) {
  if (!session.monitors) return {};
  return std::unique_lock(session.monitors->decoding);
}

void ClaimStaged(SlideshowSession& session, const std::wstring& path) {
  if (!session.monitors) return;
  std::lock_guard hold(session.monitors->lock);
  session.monitors->claims[session.monitorNumber].staged = path;
}

void ClaimShown(SlideshowSession& session) {
  if (!session.monitors) return;
  std::lock_guard hold(session.monitors->lock);
  MonitorShows::Claims& claims = session.monitors->claims[session.monitorNumber];
  claims.shown = std::move(claims.staged);
  claims.staged.clear();
}

int32_t SlideAdjustOnThisMonitor(const SlideshowSession& session, uint32_t now) {
  if (!IsOtherMonitorShow(session)) return 0;
  const SlideshowSession& primary = *session.monitors->shows.front();
  const uint32_t primaryStart = primary.slideStart;
  // Before the primary's first slide there is nothing to keep in turn with.
  if (primaryStart == 0 || static_cast<int32_t>(now - primaryStart) < 0) return 0;
  const auto monitors = static_cast<uint32_t>(session.monitors->shows.size());
  const int32_t slideTime = session.sessionSettings.slideTime;
  return SlideTimeAdjustMs(now - primaryStart, slideTime, StaggerOffsetMs(slideTime, session.monitorNumber, monitors));
}
