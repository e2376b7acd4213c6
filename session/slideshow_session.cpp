#include "session/slideshow_session.h"

SlideshowSession slideshowSession;

SlideshowSession::~SlideshowSession() {
  // The staging surface outlives every session; it goes with the process. The
  // DC first: a bitmap still selected into a DC cannot be deleted.
  if (stagingDC) DeleteDC(stagingDC);
  if (stagingBitmap) DeleteObject(stagingBitmap);
  // The renderer releases its device and textures itself, last.
}
