#pragma once
// One show per monitor. The primary monitor's show is the saver's own: it
// reads the settings, walks the lists and plays the music. The show on each
// other monitor runs its own device, staging texture, slides and loader on
// the photo list the primary's loader publishes, never takes a photo another
// monitor has on screen or staged, and decodes only while no other monitor
// does. With one monitor none of this exists and the show runs as alone.

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "library/photo_list.h"
#include "ownership/scoped_handle.h"

struct SlideshowSession;

struct MonitorShows {
  MonitorShows();
  // Every monitor's show, the primary monitor's first. Set before any starts.
  std::vector<SlideshowSession*> shows;

  // One decode at a time: the slide changes are spread over the slide time,
  // so a monitor rarely waits for another's photo.
  std::mutex decoding;

  std::mutex lock;  // what follows
  PhotoList photos;
  uint64_t photosVersion = 0;  // 0 until the primary's loader publishes
  AutoHandle photosPublished;  // manual-reset, set at the first publication
  struct Claims {
    std::wstring shown;
    std::wstring staged;
  };
  std::vector<Claims> claims;  // by monitor number
};

// True for the show on a monitor other than the primary.
bool IsOtherMonitorShow(const SlideshowSession& session);

// The name of one of the show's events: only the primary's events are
// named, as a second event of the same name would be the same event.
const wchar_t* SessionEventName(const SlideshowSession& session, const wchar_t* name);

// Starts the show on every other monitor once the primary's has started: the
// primary's settings and Direct3D object, a windowed device on each monitor's
// own adapter, sized to that monitor. On the window thread, which owns the
// devices. A monitor whose start fails stays black.
void StartOtherMonitorShows(SlideshowSession& primary);

// Every monitor's show, or `session` alone.
template <typename Step>
void ForEachShow(SlideshowSession& session, Step step);

// Primary's loader: hands its photo list to the other monitors when it has
// changed in size (found by the walk, dropped as undecodable).
void PublishPhotos(SlideshowSession& session);
// Another monitor's loader: takes the published list when it is new, waiting
// for the first one. False when the stop came first.
bool TakePublishedPhotos(SlideshowSession& session);
// Moves photoIndex past photos another monitor has on screen or staged.
void SkipPhotosOnOtherMonitors(SlideshowSession& session);
// The loader's decode turn: held for the decode; empty with one monitor.
std::unique_lock<std::mutex> DecodeTurn(SlideshowSession& session);
// The loader staged `path`; the render thread put the staged photo on screen.
void ClaimStaged(SlideshowSession& session, const std::wstring& path);
void ClaimShown(SlideshowSession& session);
// How much longer than the slide time the slide beginning `now` lasts: on
// another monitor, so long that it ends at its place in the primary's slide.
int32_t SlideAdjustOnThisMonitor(const SlideshowSession& session, uint32_t now);

#include "session/slideshow_session.h"

template <typename Step>
void ForEachShow(SlideshowSession& session, Step step) {
  if (!session.monitors) {
    step(session);
    return;
  }
  for (SlideshowSession* show : session.monitors->shows) step(*show);
}
