#include "session/staging_surface.h"

#include <objidl.h>

#include <gdiplus.h>

#include "media/photo_fit.h"

namespace {

// The window's DC, released when the surface is made.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace

HRESULT CreateStagingSurface(SlideshowSession& session, HWND window) {
  if (session.stagingDC && session.stagingBitmap) return S_OK;
  WindowDC windowDC(window);
  if (!windowDC.get()) return E_FAIL;
  if (!session.stagingDC) session.stagingDC = CreateCompatibleDC(windowDC.get());
  if (!session.stagingDC) return E_FAIL;
  session.stagingBitmap = CreateCompatibleBitmap(windowDC.get(), kStagingEdge, kStagingEdge);
  if (!session.stagingBitmap) return E_FAIL;
  // A fresh memory DC holds a stock 1 x 1 bitmap; deleting a stock object is a no-op.
  if (HGDIOBJ previous = SelectObject(session.stagingDC, session.stagingBitmap)) DeleteObject(previous);
  return S_OK;
}

HRESULT StartStagingGraphics(SlideshowSession& session) {
  if (!session.stagingDC) return E_INVALIDARG;
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread on
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return E_FAIL;
  Gdiplus::GpGraphics* graphics = nullptr;
  if (Gdiplus::DllExports::GdipCreateFromHDC(session.stagingDC, &graphics) != Gdiplus::Ok || !graphics) {
    Gdiplus::GdiplusShutdown(token);
    return E_FAIL;
  }
  // Speed over smoothness: the renderer filters again when it scales.
  Gdiplus::DllExports::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeLowQuality);
  session.gdiplusToken = token;
  session.stagingGraphics = graphics;
  return S_OK;
}

void StopStagingGraphics(SlideshowSession& session) {
  if (session.stagingGraphics) {
    Gdiplus::DllExports::GdipDeleteGraphics(session.stagingGraphics);
    session.stagingGraphics = nullptr;
  }
  if (session.gdiplusToken) {
    Gdiplus::GdiplusShutdown(session.gdiplusToken);
    session.gdiplusToken = 0;
  }
}
