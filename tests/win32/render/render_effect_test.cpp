// The colour-effect pass on Wine's Direct3D 9: the shaders' output read back
// from the effect texture, and their constant tables as D3DX reads them.
// Pixel checks allow 3 levels of 255: the shaders run in floating point and
// the tone curve is sampled with linear filtering, then rounded to 8 bits.
#include <gtest/gtest.h>

#include <d3dx9shader.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "render/render_maths.h"
#include "render/renderer.h"
#include "tests/win32/render/render_test_support.h"

namespace {

class EffectTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TestWindow>(TestWindow::FullScreen());
    HRESULT hr = renderer_.Init(window_->get());
    if (hr == D3DERR_NOTAVAILABLE) GTEST_SKIP() << "no Direct3D 9 device on this display";
    ASSERT_EQ(hr, S_OK);
  }
  void TearDown() override { renderer_.Release(); }

  // The effect image of a uniformly coloured photo, at its centre.
  uint32_t EffectOf(uint32_t rgb, int effectCode) {
    staging_.Fill(rgb);
    EXPECT_EQ(staging_.UploadTo(renderer_), S_OK);
    renderer_.SetWorld(1, 1, 0, 0, 0);
    EXPECT_EQ(renderer_.RenderEffect(effectCode), S_OK);
    Pixels image = ReadRenderTarget(renderer_, renderer_.effectSurface.get());
    EXPECT_EQ(image.width, 1024);
    return image.width ? image.at(512, 512) : 0xDEADBEEF;
  }

  static Rgb Expected(double r, double g, double b) {
    auto level = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return {level(r), level(g), level(b)};
  }

  std::unique_ptr<TestWindow> window_;
  Renderer renderer_;
  TestStaging staging_;
};

constexpr double kLuma[3] = {0.2989, 0.587, 0.114};
constexpr double kSepia[3] = {0.1049, -0.0282, -0.1298};
constexpr double kBlue[3] = {-0.0502, -0.0119, 0.1927};

}  // namespace

TEST_F(EffectTest, OriginalNeedsNoPassThePhotoStandsInForItsImage) {
  auto onStageOne = [this] {
    ComRef<IDirect3DBaseTexture9> bound;
    renderer_.device->GetTexture(1, bound.put());
    return bound.get();
  };
  EffectOf(0x808080, kEffectSepia);
  ASSERT_EQ(renderer_.RenderEffect(kEffectOriginal), S_OK);
  EXPECT_EQ(onStageOne(), renderer_.photoTexture.get());
  EffectOf(0x808080, kEffectBlackWhite);
  EXPECT_EQ(onStageOne(), renderer_.effectTexture.get());
}

TEST_F(EffectTest, BlackAndWhiteTakesTheLuminance) {
  uint32_t red = EffectOf(0xFF0000, 1);
  EXPECT_TRUE(Near(red, {76, 76, 76}, 1)) << Describe(red);
  uint32_t white = EffectOf(0xFFFFFF, 1);
  EXPECT_TRUE(Near(white, {255, 255, 255}, 1)) << Describe(white);
}

TEST_F(EffectTest, ToneCurveTintsMidTonesAndLeavesEndsNeutral) {
  ASSERT_EQ(renderer_.shaderLevel, 2);
  // Mid-grey 128: Y just above 0.5, w = 178/255 from the middle of the curve.
  double y = 128.0 / 255.0 * (kLuma[0] + kLuma[1] + kLuma[2]);
  double w = ToneCurveValue(128) / 255.0;
  uint32_t sepia = EffectOf(0x808080, 2);
  EXPECT_TRUE(Near(sepia, Expected(y + w * kSepia[0], y + w * kSepia[1], y + w * kSepia[2]), 3)) << Describe(sepia);
  EXPECT_TRUE(Near(sepia, Expected(0.57, 0.48, 0.41), 4)) << Describe(sepia);
  uint32_t blue = EffectOf(0x808080, 3);
  EXPECT_TRUE(Near(blue, Expected(y + w * kBlue[0], y + w * kBlue[1], y + w * kBlue[2]), 3)) << Describe(blue);
  uint32_t black = EffectOf(0x000000, 2);
  EXPECT_TRUE(Near(black, {0, 0, 0}, 1)) << Describe(black);
  uint32_t white = EffectOf(0xFFFFFF, 2);
  EXPECT_TRUE(Near(white, {255, 255, 255}, 1)) << Describe(white);
}

TEST_F(EffectTest, PixelShaderOneOneTintsEveryLevelWithFixedWeight) {
  renderer_.shaderLevel = 1;
  ASSERT_EQ(renderer_.LoadEffectShaders(), S_OK);
  // Black: 0.7 x the offset, negative channels clamped.
  uint32_t black = EffectOf(0x000000, 2);
  EXPECT_TRUE(Near(black, Expected(0.7 * kSepia[0], 0, 0), 2)) << Describe(black);
  EXPECT_GE(Red(black), 17);
  uint32_t grey = EffectOf(0x808080, 3);
  double y = 128.0 / 255.0 * (kLuma[0] + kLuma[1] + kLuma[2]);
  EXPECT_TRUE(Near(grey, Expected(y + 0.7 * kBlue[0], y + 0.7 * kBlue[1], y + 0.7 * kBlue[2]), 3)) << Describe(grey);
}

TEST_F(EffectTest, WithoutPixelShadersThePassLeavesTheEffectImageAlone) {
  EffectOf(0x808080, kEffectBlackWhite);
  renderer_.shaderLevel = 0;
  staging_.Fill(0xFF0000);
  ASSERT_EQ(staging_.UploadTo(renderer_), S_OK);
  EXPECT_EQ(renderer_.RenderEffect(1), S_OK);
  Pixels image = ReadRenderTarget(renderer_, renderer_.effectSurface.get());
  ASSERT_EQ(image.width, 1024);
  EXPECT_TRUE(Near(image.at(100, 900), {128, 128, 128}, 1)) << Describe(image.at(100, 900));
}

TEST_F(EffectTest, ThePassRestoresTheScreenTargetAndView) {
  EffectOf(0x808080, 2);
  ComRef<IDirect3DSurface9> target;
  ASSERT_EQ(renderer_.device->GetRenderTarget(0, target.put()), S_OK);
  EXPECT_EQ(target.get(), renderer_.backBuffer.get());
  D3DVIEWPORT9 view;
  renderer_.device->GetViewport(&view);
  EXPECT_EQ(view.Width, renderer_.viewport.Width);
  D3DMATRIX projection;
  renderer_.device->GetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_FLOAT_EQ(projection._11, 2.0f / renderer_.viewWidth);
  ComRef<IDirect3DPixelShader9> shader;
  renderer_.device->GetPixelShader(shader.put());
  EXPECT_FALSE(shader);
}

namespace {

using GetConstantTable = HRESULT(WINAPI*)(const DWORD*, ID3DXConstantTable**);

struct Declared {
  D3DXREGISTER_SET set;
  UINT index;
  D3DXPARAMETER_CLASS cls;
  D3DXPARAMETER_TYPE type;
  UINT columns;
};

}  // namespace

// Wine's d3d9 ignores the constant table; its D3DX reads it as Windows does.
TEST(ShaderConstantTable, EveryShaderNamesItsRegistersForD3dx) {
  HMODULE d3dx = LoadLibraryW(L"d3dx9_43.dll");
  if (!d3dx) GTEST_SKIP() << "d3dx9_43.dll is not available";
  auto getTable =
      reinterpret_cast<GetConstantTable>(reinterpret_cast<void*>(GetProcAddress(d3dx, "D3DXGetShaderConstantTable")));
  ASSERT_NE(getTable, nullptr);

  const Declared sampler0{D3DXRS_SAMPLER, 0, D3DXPC_OBJECT, D3DXPT_SAMPLER, 1};
  const Declared sampler2{D3DXRS_SAMPLER, 2, D3DXPC_OBJECT, D3DXPT_SAMPLER, 1};
  const Declared luma3{D3DXRS_FLOAT4, 0, D3DXPC_VECTOR, D3DXPT_FLOAT, 3};
  const Declared luma4{D3DXRS_FLOAT4, 0, D3DXPC_VECTOR, D3DXPT_FLOAT, 4};
  const Declared offset{D3DXRS_FLOAT4, 1, D3DXPC_VECTOR, D3DXPT_FLOAT, 4};
  const std::map<int, std::map<std::string, Declared>> expected = {
      {144, {{"texture0", sampler0}}},
      {146, {{"texture0", sampler0}, {"RGB2BW", luma3}}},
      {147, {{"texture0", sampler0}, {"RGB2BW", luma4}, {"SEPIA_OFFSET", offset}}},
      {148, {{"texture0", sampler0}, {"texture2", sampler2}, {"RGB2BW", luma4}, {"SEPIA_OFFSET", offset}}},
  };
  for (const auto& [id, constants] : expected) {
    SCOPED_TRACE("shader " + std::to_string(id));
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"SHADER");
    ASSERT_NE(found, nullptr);
    auto code = static_cast<const DWORD*>(LockResource(LoadResource(nullptr, found)));
    EXPECT_EQ(code[0], id == 148 ? 0xFFFF0104u : 0xFFFF0101u);
    ComRef<ID3DXConstantTable> table;
    ASSERT_EQ(getTable(code, table.put()), S_OK);
    D3DXCONSTANTTABLE_DESC desc;
    ASSERT_EQ(table->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Constants, constants.size());
    EXPECT_EQ(desc.Version, code[0]);
    for (const auto& [name, want] : constants) {
      D3DXHANDLE handle = table->GetConstantByName(nullptr, name.c_str());
      ASSERT_NE(handle, nullptr) << name;
      D3DXCONSTANT_DESC c;
      UINT count = 1;
      ASSERT_EQ(table->GetConstantDesc(handle, &c, &count), S_OK) << name;
      EXPECT_EQ(c.RegisterSet, want.set) << name;
      EXPECT_EQ(c.RegisterIndex, want.index) << name;
      EXPECT_EQ(c.RegisterCount, 1u) << name;
      EXPECT_EQ(c.Class, want.cls) << name;
      EXPECT_EQ(c.Type, want.type) << name;
      EXPECT_EQ(c.Columns, want.columns) << name;
    }
  }
  // Released before the library that made them goes.
  FreeLibrary(d3dx);
}
