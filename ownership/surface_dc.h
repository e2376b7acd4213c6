#pragma once
// A GDI device context on a Direct3D surface's own memory, from GetDC to
// ReleaseDC. While it is out the surface cannot be locked or copied from, so
// the holder releases it before anything reads the surface. It keeps its own
// reference to the surface: a renderer released first cannot leave it with
// a DC on freed memory.

#include <windows.h>

#include <d3d9.h>

#include <utility>

#include "ownership/com_ref.h"

class SurfaceDC {
 public:
  SurfaceDC() = default;
  SurfaceDC(const SurfaceDC&) = delete;
  SurfaceDC& operator=(const SurfaceDC&) = delete;
  ~SurfaceDC() { reset(); }

  // Takes the surface's DC, releasing any it held first.
  HRESULT Acquire(IDirect3DSurface9* surface) {
    reset();
    if (!surface) return E_POINTER;
    HDC dc = nullptr;
    const HRESULT hr = surface->GetDC(&dc);
    if (FAILED(hr)) return hr;
    surface->AddRef();
    surface_ = ComRef<IDirect3DSurface9>(surface);
    dc_ = dc;
    return S_OK;
  }

  void reset() {
    if (dc_) surface_->ReleaseDC(std::exchange(dc_, nullptr));
    surface_.reset();
  }

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  ComRef<IDirect3DSurface9> surface_;
  HDC dc_ = nullptr;
};
