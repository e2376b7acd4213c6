#pragma once
// A Direct3D surface locked for the CPU, from LockRect to UnlockRect. While
// it is locked the surface cannot be copied from, so the holder unlocks it
// before anything reads it. It keeps its own reference to the surface: a
// renderer released first cannot leave it pointing into freed memory.

#include <windows.h>

#include <d3d9.h>

#include <cstddef>
#include <cstdint>

#include "ownership/com_ref.h"

class SurfaceLock {
 public:
  SurfaceLock() = default;
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;
  ~SurfaceLock() { reset(); }

  // Locks the whole surface, unlocking first what it held.
  HRESULT Lock(IDirect3DSurface9* surface) {
    reset();
    if (!surface) return E_POINTER;
    D3DLOCKED_RECT locked{};
    const HRESULT hr = surface->LockRect(&locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    surface->AddRef();
    surface_ = ComRef<IDirect3DSurface9>(surface);
    bits_ = static_cast<uint8_t*>(locked.pBits);
    pitch_ = locked.Pitch;
    return S_OK;
  }

  void reset() {
    if (bits_) surface_->UnlockRect();
    bits_ = nullptr;
    pitch_ = 0;
    surface_.reset();
  }

  uint8_t* bits() const { return bits_; }
  ptrdiff_t pitch() const { return pitch_; }
  explicit operator bool() const { return bits_ != nullptr; }

 private:
  ComRef<IDirect3DSurface9> surface_;
  uint8_t* bits_ = nullptr;
  ptrdiff_t pitch_ = 0;
};
