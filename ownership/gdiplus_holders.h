#pragma once
// GDI+ start-up and a graphics object, each released by its holder: the
// graphics before the shut-down, which member order in the owner ensures.

#include <windows.h>
// after windows.h, whose types GDI+ uses
#include <objidl.h>

#include <gdiplus.h>

#include "ownership/scoped_handle.h"

struct GdiplusTokenTraits {
  using Type = ULONG_PTR;
  static ULONG_PTR Invalid() { return 0; }
  static void Close(ULONG_PTR token) { Gdiplus::GdiplusShutdown(token); }
};
// The token of a successful GdiplusStartup.
using GdiplusToken = ScopedResource<GdiplusTokenTraits>;

struct GdiplusGraphicsTraits {
  using Type = Gdiplus::GpGraphics*;
  static Gdiplus::GpGraphics* Invalid() { return nullptr; }
  static void Close(Gdiplus::GpGraphics* graphics) { Gdiplus::DllExports::GdipDeleteGraphics(graphics); }
};
using GdiplusGraphics = ScopedResource<GdiplusGraphicsTraits>;

struct GdiplusImageTraits {
  using Type = Gdiplus::GpImage*;
  static Gdiplus::GpImage* Invalid() { return nullptr; }
  static void Close(Gdiplus::GpImage* image) { Gdiplus::DllExports::GdipDisposeImage(image); }
};
// One decoded picture.
using GdiplusImage = ScopedResource<GdiplusImageTraits>;

struct GdiplusImageAttributesTraits {
  using Type = Gdiplus::GpImageAttributes*;
  static Gdiplus::GpImageAttributes* Invalid() { return nullptr; }
  static void Close(Gdiplus::GpImageAttributes* attributes) {
    Gdiplus::DllExports::GdipDisposeImageAttributes(attributes);
  }
};
using GdiplusImageAttributes = ScopedResource<GdiplusImageAttributesTraits>;

// GDI+ and one graphics object on a bitmap over the staging surface's
// memory, started when first needed. Declared in the order that makes the
// graphics object go first, then its bitmap, then GDI+ itself.
struct StagingGdiplus {
  GdiplusToken token;
  GdiplusImage canvas;
  GdiplusGraphics graphics;
};
