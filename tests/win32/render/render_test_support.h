#pragma once
// Windows, staging surfaces and pixel read-back for the renderer's tests.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/staging_pixels.h"
#include "render/renderer.h"
#include "tests/win32/test_support.h"

// Call after creating a device, before the first frame whose pixels are read.
void SettleWindows();

// An edge x edge 32-bit picture whose pixels the test writes directly, copied
// into a renderer's staging texture as the loader would have drawn it.
class TestStaging {
 public:
  explicit TestStaging(int edge = 1024);
  TestStaging(const TestStaging&) = delete;
  TestStaging& operator=(const TestStaging&) = delete;
  ~TestStaging();
  HDC dc() const { return dc_; }
  // 0x00RRGGBB at column x, row y (row 0 at the top).
  uint32_t& at(int x, int y) { return bits_[static_cast<size_t>(y) * edge_ + static_cast<size_t>(x)]; }
  int edge() const { return edge_; }
  void Fill(uint32_t rgb);
  void FillRect(int x0, int y0, int x1, int y1, uint32_t rgb);
  // Into staging memory of the same edge, as a decode writes it; into the
  // renderer's staging texture (locked for it); UploadTo also uploads it into
  // the photo texture.
  void CopyInto(const StagingPixels& surface) const;
  HRESULT CopyTo(Renderer& renderer) const;
  HRESULT UploadTo(Renderer& renderer) const;

 private:
  size_t edge_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Pixels read back as 0x00RRGGBB.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;
  uint32_t at(int x, int y) const { return data[static_cast<size_t>(y) * static_cast<size_t>(width) + x] & 0xFFFFFF; }
};

// The whole X screen, as the last Present left it.
Pixels ReadScreen();
// A render-target surface's pixels (the effect image).
Pixels ReadRenderTarget(Renderer& renderer, IDirect3DSurface9* surface);
// The photo texture as the card holds it.
Pixels ReadPhotoTexture(Renderer& renderer);

std::string Describe(uint32_t rgb);
