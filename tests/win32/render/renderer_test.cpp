// The renderer on Wine's Direct3D 9 (llvmpipe under Xvfb): device set-up, the
// view, release, and what reaches the screen. Pixel checks allow 2 levels of
// 255: linear filtering between texel centres and 8-bit rounding in the
// driver move a uniform colour by at most one level here.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "render/render_maths.h"
#include "render/renderer.h"
#include "render/slide_motion.h"
#include "tests/win32/render/render_test_support.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kYellow = 0xFFFF00;

class RendererTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TestWindow>(TestWindow::FullScreen());
    ASSERT_NE(window_->get(), nullptr);
    HRESULT hr = renderer_.Init(window_->get());
    if (hr == D3DERR_NOTAVAILABLE) GTEST_SKIP() << "no Direct3D 9 device on this display";
    ASSERT_EQ(hr, S_OK);
    SettleWindows();
    screenW_ = GetSystemMetrics(SM_CXSCREEN);
    screenH_ = GetSystemMetrics(SM_CYSCREEN);
  }
  void TearDown() override { renderer_.Release(); }

  // The screen pixel showing the centre of staging texel (col, row) under the
  // world transform (scale s, offset, angle): the maths the device must follow.
  POINT ScreenOf(float col, float row, float s, float ox, float oy, float angle) const {
    float ix = col + 0.5f - 512.0f, iy = 512.0f - (row + 0.5f);
    float c = std::cos(angle), sn = std::sin(angle);
    float x = s * (ix * c - iy * sn) + ox;
    float y = s * (ix * sn + iy * c) + oy;
    return {static_cast<LONG>((x / renderer_.viewWidth + 0.5f) * static_cast<float>(screenW_)),
            static_cast<LONG>((0.5f - y / renderer_.viewHeight) * static_cast<float>(screenH_))};
  }

  void Quadrants() {
    staging_.FillRect(0, 0, 512, 512, kRed);
    staging_.FillRect(512, 0, 1024, 512, kGreen);
    staging_.FillRect(0, 512, 512, 1024, kBlue);
    staging_.FillRect(512, 512, 1024, 1024, kWhite);
    ASSERT_EQ(staging_.UploadTo(renderer_), S_OK);
  }

  // Every buffer of the swap chain gets the frame, so the screen shows it
  // whichever buffer Wine presents.
  HRESULT DrawAndRead(Pixels& screen) {
    for (int i = 0; i < 3; ++i) {
      if (HRESULT hr = renderer_.DrawFrame(); FAILED(hr)) return hr;
    }
    screen = ReadScreen();
    return S_OK;
  }

  Pixels screen_;
  std::unique_ptr<TestWindow> window_;
  Renderer renderer_;
  TestStaging staging_;
  int screenW_ = 0, screenH_ = 0;
};

}  // namespace

TEST_F(RendererTest, FullScreenDeviceCoversTheScreenWithTheLongerSideAs1024Units) {
  EXPECT_TRUE(renderer_.initialized);
  EXPECT_EQ(renderer_.viewport.Width, static_cast<DWORD>(screenW_));
  EXPECT_EQ(renderer_.viewport.Height, static_cast<DWORD>(screenH_));
  EXPECT_EQ(renderer_.viewport.MaxZ, 1.0f);
  // Xvfb here is 1280 x 720, the shape of 1920 x 1080: 1024 x 576 units.
  float longer = static_cast<float>(std::max(screenW_, screenH_));
  EXPECT_FLOAT_EQ(renderer_.viewWidth, 1024.0f * static_cast<float>(screenW_) / longer);
  EXPECT_FLOAT_EQ(renderer_.viewHeight, 1024.0f * static_cast<float>(screenH_) / longer);
  // Wine reports a refresh rate of 0: the nominal 16 ms stays.
  EXPECT_EQ(renderer_.frameInterval, 16u);
  EXPECT_EQ(renderer_.shaderLevel, 2);  // Wine reports pixel shader 3.0
  for (auto& shader : renderer_.effectShaders) EXPECT_TRUE(shader);
  EXPECT_TRUE(renderer_.backBuffer);

  D3DSURFACE_DESC desc;
  ASSERT_EQ(renderer_.photoTexture->GetLevelDesc(0, &desc), S_OK);
  EXPECT_EQ(desc.Width, 1024u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  ASSERT_EQ(renderer_.effectSurface->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
  DWORD fvf = 0;
  renderer_.device->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x202u);
}

TEST_F(RendererTest, ToneTextureHoldsTheCurveInItsColourBytes) {
  D3DLOCKED_RECT locked;
  ASSERT_EQ(renderer_.toneSurface->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
  auto texels = static_cast<const uint32_t*>(locked.pBits);
  for (int i : {0, 1, 64, 127, 200, 255}) {
    auto v = static_cast<uint32_t>(ToneCurveValue(i));
    EXPECT_EQ(texels[i] & 0xFFFFFF, v * 0x010101u) << i;
  }
  renderer_.toneSurface->UnlockRect();
}

TEST_F(RendererTest, UploadPutsTheTopLeftPixelAtTextureOrigin) {
  staging_.Fill(0x102030);
  staging_.at(0, 0) = kRed;
  staging_.at(1023, 1023) = kBlue;
  staging_.at(1023, 0) = kGreen;
  ASSERT_EQ(staging_.UploadTo(renderer_), S_OK);
  const Pixels texture = ReadPhotoTexture(renderer_);
  ASSERT_EQ(texture.width, 1024);
  EXPECT_EQ(texture.at(0, 0), kRed);
  EXPECT_EQ(texture.at(1023, 0), kGreen);
  EXPECT_EQ(texture.at(1023, 1023), kBlue);
  EXPECT_EQ(texture.at(500, 500), 0x102030u);
}

TEST_F(RendererTest, IdentityWorldShowsThePhotoUprightAcrossTheWidth) {
  Quadrants();
  renderer_.SetWorld(1, 1, 0, 0, 0);
  ASSERT_EQ(DrawAndRead(screen_), S_OK);
  const Pixels& screen = screen_;
  ASSERT_EQ(screen.width, screenW_);
  struct Marker {
    float col, row;
    uint32_t colour;
  };
  for (Marker m :
       {Marker{256, 384, kRed}, Marker{768, 384, kGreen}, Marker{256, 640, kBlue}, Marker{768, 640, kWhite}}) {
    POINT p = ScreenOf(m.col, m.row, 1, 0, 0, 0);
    uint32_t seen = screen.at(p.x, p.y);
    EXPECT_TRUE(Near(seen, {Red(m.colour), Green(m.colour), Blue(m.colour)}, 2))
        << "at " << p.x << "," << p.y << ": " << Describe(seen);
  }
  // The square spans the width exactly: the outermost columns are photo.
  EXPECT_TRUE(Near(screen.at(0, screenH_ / 4), {255, 0, 0}, 2)) << Describe(screen.at(0, screenH_ / 4));
  EXPECT_TRUE(Near(screen.at(screenW_ - 1, screenH_ * 3 / 4), {255, 255, 255}, 2));
}

TEST_F(RendererTest, QuarterTurnClockwiseForOrientationSix) {
  Quadrants();
  float angle = RotationForOrientation(6);
  renderer_.SetWorld(1, 1, 0, 0, angle);
  ASSERT_EQ(DrawAndRead(screen_), S_OK);
  const Pixels& screen = screen_;
  ASSERT_EQ(screen.width, screenW_);
  // The photo's top (red, green) is now on the right; red, its top-left, at the top.
  POINT red = ScreenOf(384, 384, 1, 0, 0, angle);
  POINT green = ScreenOf(640, 384, 1, 0, 0, angle);
  POINT blue = ScreenOf(384, 640, 1, 0, 0, angle);
  EXPECT_GT(red.x, screenW_ / 2);
  EXPECT_LT(red.y, screenH_ / 2);
  EXPECT_TRUE(Near(screen.at(red.x, red.y), {255, 0, 0}, 2)) << Describe(screen.at(red.x, red.y));
  EXPECT_TRUE(Near(screen.at(green.x, green.y), {0, 255, 0}, 2)) << Describe(screen.at(green.x, green.y));
  EXPECT_TRUE(Near(screen.at(blue.x, blue.y), {0, 0, 255}, 2)) << Describe(screen.at(blue.x, blue.y));
}

TEST_F(RendererTest, MotionRowPutsAMarkerWhereTheWorldTransformSays) {
  staging_.Fill(0x204060);
  staging_.FillRect(600, 560, 632, 592, kYellow);  // 32 x 32 texels centred on (616, 576)
  ASSERT_EQ(staging_.UploadTo(renderer_), S_OK);
  // Row 13 at its end: scale 1.5, offset (256, 256).
  const float* row = MotionTable[13];
  renderer_.SetWorld(row[4], row[5], row[6], row[7], 0);
  ASSERT_EQ(DrawAndRead(screen_), S_OK);
  const Pixels& screen = screen_;
  ASSERT_EQ(screen.width, screenW_);
  POINT centre = ScreenOf(616, 576, 1.5f, 256, 256, 0);
  if (centre.x + 80 >= screenW_ || centre.y < 0) GTEST_SKIP() << "the marker lies outside a portrait view";
  EXPECT_TRUE(Near(screen.at(centre.x, centre.y), {255, 255, 0}, 2)) << Describe(screen.at(centre.x, centre.y));
  // 32 texels at scale 1.5 are 48 units: about 60 pixels wide at 1280 pixels per 1024 units.
  float half = 24.0f * static_cast<float>(screenW_) / renderer_.viewWidth;
  for (int d : {-1, 1}) {
    LONG inside = centre.x + static_cast<LONG>(d * (half - 4));
    LONG outside = centre.x + static_cast<LONG>(d * (half + 4));
    EXPECT_TRUE(Near(screen.at(inside, centre.y), {255, 255, 0}, 2)) << inside;
    EXPECT_TRUE(Near(screen.at(outside, centre.y), {0x20, 0x40, 0x60}, 2)) << outside;
  }
}

TEST_F(RendererTest, ReleaseLeavesNoReferenceAndKeepsTheViewSettings) {
  IDirect3DDevice9* device = renderer_.device.get();
  device->AddRef();
  float width = renderer_.viewWidth;
  EXPECT_EQ(renderer_.Release(), S_OK);
  EXPECT_FALSE(renderer_.initialized);
  EXPECT_FALSE(renderer_.device);
  EXPECT_FALSE(renderer_.d3d);
  EXPECT_FALSE(renderer_.photoTexture);
  for (auto& shader : renderer_.effectShaders) EXPECT_FALSE(shader);
  // Textures, surfaces, shaders and buffers each held the device: none is left.
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(renderer_.viewWidth, width);
  EXPECT_EQ(renderer_.frameInterval, 16u);
  EXPECT_EQ(renderer_.Release(), S_OK);  // twice is harmless
  EXPECT_EQ(renderer_.DrawFrame(), E_FAIL);
}

TEST(RendererLifecycle, ReleaseOfAHalfBuiltRendererReleasesWhatExists) {
  // What an Init that stopped after the device and the photo texture leaves.
  TestWindow window = TestWindow::FullScreen();
  Renderer renderer;
  renderer.d3d = ComRef<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_TRUE(renderer.d3d);
  D3DPRESENT_PARAMETERS params = {};
  params.Windowed = TRUE;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = window.get();
  ASSERT_EQ(renderer.d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.get(),
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, renderer.device.put()),
            S_OK);
  ASSERT_EQ(renderer.device->CreateTexture(1024, 1024, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                           renderer.photoTexture.put(), nullptr),
            S_OK);
  IDirect3D9* d3d = renderer.d3d.get();
  IDirect3DDevice9* device = renderer.device.get();
  d3d->AddRef();
  device->AddRef();
  EXPECT_EQ(renderer.Release(), S_OK);
  EXPECT_FALSE(renderer.initialized);
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(d3d->Release(), 0u);
}

TEST(RendererLifecycle, PreviewDeviceFollowsItsWindowEvenWhenPortrait) {
  TestWindow preview = TestWindow::Child(540, 960);
  Renderer renderer;
  renderer.fullScreen = false;
  ASSERT_EQ(renderer.Init(preview.get()), S_OK);
  EXPECT_EQ(renderer.viewport.Width, 540u);
  EXPECT_EQ(renderer.viewport.Height, 960u);
  EXPECT_FLOAT_EQ(renderer.viewWidth, 576.0f);
  EXPECT_FLOAT_EQ(renderer.viewHeight, 1024.0f);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(renderer.backBuffer->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.Width, 540u);
  EXPECT_EQ(desc.Height, 960u);
  EXPECT_EQ(renderer.Release(), S_OK);
}

TEST(RendererLifecycle, ScreenSizedTexturesTakeTheWholeStagingSurfaceAndSmallerOnesTakeItScaled) {
  TestWindow window = TestWindow::FullScreen();
  Renderer renderer;
  renderer.photoEdge = 2048;
  HRESULT hr = renderer.Init(window.get());
  if (hr == D3DERR_NOTAVAILABLE) GTEST_SKIP() << "no Direct3D 9 device on this display";
  ASSERT_EQ(hr, S_OK);
  ASSERT_EQ(renderer.photoEdge, 2048);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(renderer.effectSurface->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.Width, 2048u);
  EXPECT_FLOAT_EQ(renderer.quad[1].u0, 0.5f / 2048);  // texel centres of the larger texture

  // The whole surface arrives, and the effect pass covers the whole image
  // (greys, which black and white keeps).
  TestStaging staging(2048);
  staging.Fill(0x202020);
  staging.at(2047, 2047) = 0xE0E0E0;
  ASSERT_EQ(staging.UploadTo(renderer), S_OK);
  renderer.SetWorld(1, 1, 0, 0, 0);
  ASSERT_EQ(renderer.RenderEffect(kEffectBlackWhite), S_OK);
  Pixels image = ReadRenderTarget(renderer, renderer.effectSurface.get());
  ASSERT_EQ(image.width, 2048);
  EXPECT_TRUE(Near(image.at(2047, 2047), {0xE0, 0xE0, 0xE0}, 1)) << Describe(image.at(2047, 2047));
  EXPECT_TRUE(Near(image.at(1024, 10), {0x20, 0x20, 0x20}, 1)) << Describe(image.at(1024, 10));

  EXPECT_EQ(renderer.Release(), S_OK);

  // A smaller show stages smaller. The loader writes in system memory and
  // the card samples its own copy: no managed texture keeps a second one.
  renderer.photoEdge = kMinStagingEdge;
  ASSERT_EQ(renderer.Init(window.get()), S_OK);
  EXPECT_FLOAT_EQ(renderer.quad[1].u0, 0.5f / 1024);
  for (auto [texture, pool] : {std::pair{renderer.stagingTexture.get(), D3DPOOL_SYSTEMMEM},
                               std::pair{renderer.photoTexture.get(), D3DPOOL_DEFAULT}}) {
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Pool, pool);
    EXPECT_EQ(desc.Width, 1024u);
  }
  TestStaging small(1024);
  small.Fill(0x202020);
  small.FillRect(512, 512, 1024, 1024, 0xE0E0E0);
  ASSERT_EQ(small.UploadTo(renderer), S_OK);
  ASSERT_EQ(renderer.RenderEffect(kEffectBlackWhite), S_OK);
  image = ReadRenderTarget(renderer, renderer.effectSurface.get());
  ASSERT_EQ(image.width, 1024);
  EXPECT_TRUE(Near(image.at(1000, 1000), {0xE0, 0xE0, 0xE0}, 1)) << Describe(image.at(1000, 1000));
  EXPECT_TRUE(Near(image.at(20, 20), {0x20, 0x20, 0x20}, 1)) << Describe(image.at(20, 20));
  EXPECT_TRUE(Near(image.at(1000, 20), {0x20, 0x20, 0x20}, 1)) << Describe(image.at(1000, 20));
  EXPECT_EQ(renderer.Release(), S_OK);
}
