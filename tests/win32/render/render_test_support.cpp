#include "tests/win32/render/render_test_support.h"

#include "ownership/surface_lock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

void SettleWindows() {
  // A frame presented before the X window is mapped is lost: let it map first.
  for (int i = 0; i < 6; ++i) {
    Pump();
    Sleep(50);
  }
}

TestStaging::TestStaging(int edge) : edge_(static_cast<size_t>(edge)) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = edge;
  info.bmiHeader.biHeight = -edge;  // top-down: row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  previous_ = SelectObject(dc_, bitmap_);
}

TestStaging::~TestStaging() {
  if (previous_) SelectObject(dc_, previous_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
}

void TestStaging::Fill(uint32_t rgb) { FillRect(0, 0, edge(), edge(), rgb); }

void TestStaging::FillRect(int x0, int y0, int x1, int y1, uint32_t rgb) {
  GdiFlush();
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) at(x, y) = rgb;
  }
}

void TestStaging::CopyInto(const StagingPixels& surface) const {
  GdiFlush();
  for (int y = 0; y < surface.edge && y < edge(); ++y) std::memcpy(surface.Row(y), bits_ + y * edge_, edge_ * 4);
}

HRESULT TestStaging::CopyTo(Renderer& renderer) const {
  if (!renderer.stagingSurface || renderer.photoEdge != edge()) return E_INVALIDARG;
  SurfaceLock lock;
  if (HRESULT hr = lock.Lock(renderer.stagingSurface.get()); FAILED(hr)) return hr;
  CopyInto({lock.bits(), lock.pitch(), edge()});
  return S_OK;
}

HRESULT TestStaging::UploadTo(Renderer& renderer) const {
  if (HRESULT hr = CopyTo(renderer); FAILED(hr)) return hr;
  return renderer.UploadStaging();
}

namespace {

Pixels ReadSurface(IDirect3DSurface9* surface) {
  Pixels pixels;
  D3DSURFACE_DESC desc;
  if (FAILED(surface->GetDesc(&desc))) return pixels;
  D3DLOCKED_RECT locked;
  if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return pixels;
  pixels.width = static_cast<int>(desc.Width);
  pixels.height = static_cast<int>(desc.Height);
  pixels.data.resize(static_cast<size_t>(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    auto row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
    std::copy(row, row + desc.Width, pixels.data.begin() + static_cast<std::ptrdiff_t>(y * desc.Width));
  }
  surface->UnlockRect();
  return pixels;
}

}  // namespace

namespace {

Pixels CaptureScreen() {
  Pixels pixels;
  pixels.width = GetSystemMetrics(SM_CXSCREEN);
  pixels.height = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  if (BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, 0, 0, SRCCOPY)) {
    GdiFlush();
    auto first = static_cast<const uint32_t*>(bits);
    pixels.data.assign(first, first + static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height));
  } else {
    pixels.width = pixels.height = 0;
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

Pixels ReadScreen() {
  // Wine's GetFrontBufferData reads black here; the X screen has what was
  // presented, once the X server has caught up: wait for two equal captures.
  Pixels last;
  for (int attempt = 0; attempt < 20; ++attempt) {
    Pump();
    Sleep(50);
    Pixels now = CaptureScreen();
    if (attempt > 0 && now.data == last.data) return now;
    last = std::move(now);
  }
  return last;
}

Pixels ReadRenderTarget(Renderer& renderer, IDirect3DSurface9* surface) {
  D3DSURFACE_DESC desc;
  surface->GetDesc(&desc);
  ComRef<IDirect3DSurface9> copy;
  if (FAILED(renderer.device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                          copy.put(), nullptr)) ||
      FAILED(renderer.device->GetRenderTargetData(surface, copy.get()))) {
    return {};
  }
  return ReadSurface(copy.get());
}

Pixels ReadPhotoTexture(Renderer& renderer) {
  // The card's own copy cannot be locked: it goes through a render target.
  D3DSURFACE_DESC desc;
  ComRef<IDirect3DSurface9> photo, target;
  if (FAILED(renderer.photoTexture->GetSurfaceLevel(0, photo.put())) || FAILED(photo->GetDesc(&desc)) ||
      FAILED(renderer.device->CreateRenderTarget(desc.Width, desc.Height, desc.Format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                 target.put(), nullptr)) ||
      FAILED(renderer.device->StretchRect(photo.get(), nullptr, target.get(), nullptr, D3DTEXF_POINT))) {
    return {};
  }
  return ReadRenderTarget(renderer, target.get());
}

std::string Describe(uint32_t rgb) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d, %d, %d)", Red(rgb), Green(rgb), Blue(rgb));
  return text;
}
