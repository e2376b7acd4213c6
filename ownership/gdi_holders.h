#pragma once
// Move-only owners for GDI: a window's device context, a memory DC, a GDI
// object, and an object selected into a DC for a while.

#include <windows.h>

#include <utility>

#include "ownership/scoped_handle.h"

struct MemoryDCTraits {
  using Type = HDC;
  static HDC Invalid() { return nullptr; }
  static void Close(HDC dc) { DeleteDC(dc); }
};
// From CreateCompatibleDC.
using MemoryDC = ScopedResource<MemoryDCTraits>;

template <typename T>
struct GdiObjectTraits {
  using Type = T;
  static T Invalid() { return nullptr; }
  static void Close(T object) { DeleteObject(object); }
};
// Bitmaps, fonts, brushes: DeleteObject when the holder goes. An object still
// selected into a DC cannot be deleted, so a holder of such an object must be
// declared before the DC's holder (members go in reverse order).
template <typename T>
using GdiObject = ScopedResource<GdiObjectTraits<T>>;

// GetDC on construction, ReleaseDC with the same window on destruction.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ScopedGetDC(ScopedGetDC&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  ScopedGetDC& operator=(ScopedGetDC&&) = delete;
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  ~ScopedGetDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object for the holder's lifetime; a null object selects nothing.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ~ScopedSelectObject() {
    if (previous_) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
