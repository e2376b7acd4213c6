#pragma once
// The one session record of the process: the running slideshow's window,
// staging surface, renderer, worker threads, events, flags, slide clock, file
// lists and music state. Its address is the worker threads' start parameter.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "host/scoped_win.h"
#include "render/renderer.h"
#include "settings/saver_settings.h"

namespace Gdiplus {
class GpGraphics;
}

struct SlideshowSession {
  SlideshowSession() = default;
  ~SlideshowSession();
  SlideshowSession(const SlideshowSession&) = delete;
  SlideshowSession& operator=(const SlideshowSession&) = delete;

  HWND window = nullptr;
  // The staging surface: a 1024 x 1024 bitmap selected into a memory DC. Both
  // live until process end.
  HDC stagingDC = nullptr;
  HBITMAP stagingBitmap = nullptr;
  AutoHandle loaderThread;
  AutoHandle renderThread;
  AutoHandle loadPhotoEvent;     // "BrindoraPro_LoadPhoto"
  AutoHandle loadCompleteEvent;  // "BrindoraPro_LoadPhotoComplete"
  AutoHandle stopLoaderEvent;    // "BrindoraPro_StopThLoadPhoto"
  AutoHandle stopRenderEvent;    // "BrindoraPro_StopThRefresh"

  bool sessionInitialised = false;
  // Single-byte flags shared by the UI and the worker threads without a lock;
  // atomic so that each read sees a whole, current value.
  std::atomic<bool> showRunning = false;
  std::atomic<bool> paused = false;
  std::atomic<bool> firstFrame = false;

  ULONG_PTR gdiplusToken = 0;
  // Owned; deleted by StopSession.
  Gdiplus::GpGraphics* stagingGraphics = nullptr;

  Renderer renderer;

  // The slide on screen: motion row, easing, fade, transition and colour effect.
  int motionIndex = 0;
  float motionStart[4] = {1.0f, 1.0f, 0.0f, 0.0f};  // scale x, scale y, offset x, offset y
  float motionDelta[4] = {};
  float rotation = 0.0f;  // radians, from the photo's orientation
  int easing = 0;
  int fadeCode = 0;
  int transitionCode = 0;
  int effectCode = 0;
  // 2: the staged photo was cropped to fill the square; otherwise letterboxed.
  int fitMode = 0;

  uint32_t slideStart = 0;
  uint32_t pauseStart = 0;
  uint32_t frameInterval = 0;

  MediaList photoFiles;
  uint32_t photoIndex = 0;
  uint32_t shownIndex = 0;
  int32_t photoOrientation = 0;
  bool photoLandscape = true;

  MediaList musicFiles;
  uint32_t musicIndex = 0;
  int32_t fadeVolume = 0;
  bool musicActive = false;
  bool cdTrack = false;

  SaverSettings sessionSettings{};
};

// The process-wide session.
extern SlideshowSession slideshowSession;
