#include "session/staging_surface.h"

#include "media/decode_photo.h"
#include "media/photo_fit.h"

namespace {

const wchar_t* PhotoAtIndex(const SlideshowSession& session) {
  return session.photoIndex < session.photoFiles.Count() ? session.photoFiles[session.photoIndex].c_str() : nullptr;
}

}  // namespace

StagingTarget StagingTargetOf(SlideshowSession& session) {
  const SurfaceLock& lock = session.stagingLock;
  return {{lock.bits(), lock.pitch(), session.renderer.photoEdge}, &session.stagingGdiplus};
}

HRESULT HandStagingToLoader(SlideshowSession& session) {
  TakeStagingFromLoader(session);
  return session.stagingLock.Lock(session.renderer.stagingSurface.get());
}

void TakeStagingFromLoader(SlideshowSession& session) {
  // GDI+ draws on a bitmap over the locked memory: both go before the lock.
  session.stagingGdiplus.graphics.reset();
  session.stagingGdiplus.canvas.reset();
  session.stagingLock.reset();
}

void StopStagingGraphics(SlideshowSession& session) {
  TakeStagingFromLoader(session);
  session.stagingGdiplus.token.reset();
}

HRESULT DecodePhotoFitted(SlideshowSession& session, int fitMode) {
  const wchar_t* path = PhotoAtIndex(session);
  if (!path) return E_INVALIDARG;
  return DecodePhotoFitted(path, StagingTargetOf(session), fitMode, session.staged);
}

HRESULT DecodePhoto(SlideshowSession& session) {
  const wchar_t* path = PhotoAtIndex(session);
  if (!path) return E_INVALIDARG;
  return DecodePhoto(path, StagingTargetOf(session), session.staged);
}
