#pragma once
// The session record: the running slideshow's window, staging surface,
// renderer, worker threads, events, flags, slide clock, file lists and music
// state. Its address is the worker threads' start parameter.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "library/photo_list.h"
#include "media/photo_fit.h"
#include "music/music_player.h"
#include "ownership/gdiplus_holders.h"
#include "ownership/scoped_handle.h"
#include "ownership/surface_lock.h"
#include "ownership/timer_resolution.h"
#include "render/render_frame.h"
#include "render/renderer.h"
#include "render/slide_motion.h"
#include "settings/saver_settings.h"

struct ShowLibrary;
struct MonitorShows;

struct SlideshowSession {
  SlideshowSession();
  ~SlideshowSession();
  SlideshowSession(const SlideshowSession&) = delete;
  SlideshowSession& operator=(const SlideshowSession&) = delete;

  HWND window = nullptr;
  // The staging surface is the renderer's staging texture. GDI+ for the
  // session and its graphics object on the staging memory, started by the
  // loader at the first photo that needs them.
  StagingGdiplus stagingGdiplus;

  AutoHandle loaderThread;
  AutoHandle renderThread;
  AutoHandle loadPhotoEvent;     // "BrindoraPro_LoadPhoto"
  AutoHandle loadCompleteEvent;  // "BrindoraPro_LoadPhotoComplete"
  AutoHandle stopLoaderEvent;    // "BrindoraPro_StopThLoadPhoto"
  AutoHandle stopRenderEvent;    // "BrindoraPro_StopThRefresh"
  // Unnamed, manual-reset: the library walk, asked between folders, must
  // not take the signal from another waiter.
  AutoHandle stopWalkEvent;
  // Unnamed, auto-reset: the UI thread asks the render thread to show the
  // paused frame again (a window uncovered while paused). Only that thread
  // touches the device.
  AutoHandle repaintEvent;

  // 1 ms timers while the show runs: frame waits and the slide clock.
  FineTimerResolution fineTimer;
  // A worker that did not stop in time is left running rather than killed in
  // the middle of a decode; then nothing it may touch is released, and the
  // process must end without running its destructors.
  std::atomic<bool> workersLeftRunning = false;
  // Set by the loader while it walks the folders or decodes: work the stop
  // does not sit out.
  std::atomic<bool> loaderBusy = false;
  // Set by the stop before it signals the loader: the walk and a run of bad
  // files look here between their steps.
  std::atomic<bool> loaderStopping = false;

  // Written by the starting thread, read by the window's.
  std::atomic<bool> sessionInitialised = false;
  // The thread making the start, and the mode it starts in; the thread
  // making the Direct3D object before the window exists.
  AutoHandle starterThread;
  AutoHandle direct3DThread;
  bool startFullScreen = true;
  // Single-byte flags shared by the UI and the worker threads without a lock;
  // atomic so that each read sees a whole, current value.
  std::atomic<bool> showRunning = false;
  std::atomic<bool> paused = false;
  std::atomic<bool> firstFrame = false;

  // Released by its own destructor, after the threads above have stopped.
  Renderer renderer;
  // The staging texture locked for the loader, held while the loader owns
  // the surface: from the request for a photo until the render thread takes
  // its completion and uploads it. Declared after the renderer so that it
  // goes first.
  SurfaceLock stagingLock;

  // The slide on screen: motion row, easing, fade, transition and colour
  // effect, drawn by the render thread when the slide begins.
  SlideChoices slide;
  // The render thread's memory between frames.
  FrameState frame;

  // Written by the render thread when a slide begins and by the UI thread
  // while paused (navigation), so atomic.
  std::atomic<uint32_t> slideStart = 0;
  uint32_t pauseStart = 0;  // UI thread only
  uint32_t frameInterval = 0;

  // photoFiles and photoIndex belong to whoever last consumed the loader's
  // completion event (the loader, the render thread, or the UI thread while
  // navigating); so does `staged`, written by the decoder.
  PhotoList photoFiles;
  uint32_t photoIndex = 0;
  // Written by the render thread, read by the UI thread to navigate.
  std::atomic<uint32_t> shownIndex = 0;
  PhotoLayout staged;

  // Left and Right never wait for the loader: the UI thread adds +1 or -1
  // here and the render thread takes the steps over when it next holds the
  // loader's completion; until the photo asked for arrives, `navigating`
  // and `navigationTarget` (render thread only) remember where it is going.
  std::atomic<int> pendingSteps = 0;
  bool navigating = false;
  uint32_t navigationTarget = 0;
  // A slide has begun and the photo after it is yet to be asked for: the
  // request waits until the card has taken this photo over (a frame at
  // least), so that the loader's hold on the staging texture never makes a
  // frame wait for the copy. Render thread only.
  bool nextPhotoDue = false;

  // The configured entries, expanded into the file lists by the loader
  // thread before its first photo when `listsToExpand` is set, so that the
  // window thread never waits on the file system. The window hears of it by
  // kListsReadyMessage.
  bool listsToExpand = false;
  // Set by the loader once the lists are expanded, before its notice: the
  // end of the start looks here too, so the show starts even when the notice
  // came (and went) before the start was done.
  std::atomic<bool> listsReady = false;
  MediaList photoEntries;
  MediaList musicEntries;
  // The per-user index behind the photo list, when the show has one; the
  // loader's like the list.
  std::unique_ptr<ShowLibrary> library;

  MusicPlayback music;
  // Space pauses when set and resumes when clear; UI thread only.
  bool spaceToggle = true;

  SaverSettings sessionSettings{};

  // The shows on every monitor when there are several (the host's record),
  // and this one's number among them: 0 on the primary monitor.
  MonitorShows* monitors = nullptr;
  uint32_t monitorNumber = 0;
  // The version of the shared photo list this show's loader took last.
  uint64_t photosVersion = 0;
  // Added to the slide time of the slide on screen (render thread only): on
  // another monitor, its changes keep their place in the primary's slides.
  int32_t slideAdjustMs = 0;
};

// The session of the exported ScreenSaverProcW on a window that carries none
// of its own (a host other than ours calling the export): such a host makes
// its window before anything of ours runs, so the record must already exist.
// It lives to the process's end.
extern SlideshowSession& slideshowSession;
