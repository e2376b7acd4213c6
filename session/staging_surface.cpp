#include "session/staging_surface.h"

#include "media/decode_photo.h"
#include "media/photo_fit.h"

namespace {

StagingTarget TargetOf(SlideshowSession& session) {
  return {session.stagingDC.get(), &session.stagingGdiplus, session.stagingEdge};
}

const wchar_t* PhotoAtIndex(const SlideshowSession& session) {
  return session.photoIndex < session.photoFiles.Count() ? session.photoFiles[session.photoIndex].c_str() : nullptr;
}

}  // namespace

HRESULT HandStagingToLoader(SlideshowSession& session) {
  TakeStagingFromLoader(session);
  session.stagingEdge = session.renderer.photoEdge;
  return session.stagingDC.Acquire(session.renderer.stagingSurface.get());
}

void TakeStagingFromLoader(SlideshowSession& session) {
  // GDI+ keeps drawing state on the DC: its graphics object cannot outlive it.
  session.stagingGdiplus.graphics.reset();
  session.stagingDC.reset();
}

void StopStagingGraphics(SlideshowSession& session) {
  TakeStagingFromLoader(session);
  session.stagingGdiplus.token.reset();
}

HRESULT DecodePhotoFitted(SlideshowSession& session, int fitMode) {
  const wchar_t* path = PhotoAtIndex(session);
  if (!path) return E_INVALIDARG;
  return DecodePhotoFitted(path, TargetOf(session), fitMode, session.staged);
}

HRESULT DecodePhoto(SlideshowSession& session) {
  const wchar_t* path = PhotoAtIndex(session);
  if (!path) return E_INVALIDARG;
  return DecodePhoto(path, TargetOf(session), session.staged);
}
