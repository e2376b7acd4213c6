#include "session/staging_surface.h"

#include <utility>

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

HRESULT CreateStagingSurface(SlideshowSession& session, HWND window, int edge) {
  if (session.stagingDC && session.stagingBitmap && session.stagingEdge == edge) return S_OK;
  ScopedGetDC windowDC(window);
  if (!windowDC) return E_FAIL;
  if (!session.stagingDC) session.stagingDC.reset(CreateCompatibleDC(windowDC.get()));
  if (!session.stagingDC) return E_FAIL;
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(windowDC.get(), edge, edge));
  if (!bitmap) return E_FAIL;
  // A fresh memory DC holds a stock 1 x 1 bitmap (deleting it is a no-op); a
  // later call finds our previous bitmap, which its holder deletes.
  HGDIOBJ previous = SelectObject(session.stagingDC.get(), bitmap.get());
  if (previous && previous != session.stagingBitmap.get()) DeleteObject(previous);
  session.stagingBitmap = std::move(bitmap);
  session.stagingEdge = edge;
  return S_OK;
}

void StopStagingGraphics(SlideshowSession& session) {
  session.stagingGdiplus.graphics.reset();
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
