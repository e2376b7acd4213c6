#pragma once
// Device-independent numbers of the renderer: the quad, the view extent, the
// frame interval, the tone curve and the colour-effect constants.

#include <cstdint>

#include "settings/saver_settings.h"  // kMinStagingEdge

struct QuadVertex {
  float x, y, z;
  float u0, v0;
  float u1, v1;
};
static_assert(sizeof(QuadVertex) == 28);

constexpr uint32_t kQuadFvf = 0x202;  // D3DFVF_XYZ | D3DFVF_TEX2
// The photo's quad is this many view units wide whatever its texture holds.
constexpr int kQuadUnits = 1024;
constexpr int kToneEntries = 256;

// Texels of the photo texture (and of the staging surface) along each side:
// kMinStagingEdge in the preview and as the fallback, up to 4096 on large screens. More
// would cost 256 MB a surface for screens few users have.
constexpr int kMaxPhotoEdge = 4096;

// The quad for a photo texture of edge x edge texels, in triangle-strip
// order; half-texel coordinates put texel centres on pixel centres.
void QuadVerticesFor(int edge, QuadVertex out[4]);

// The texels a full-screen show wants: the smallest power of two at least as
// large as the screen's longer side, within kMinStagingEdge and kMaxPhotoEdge.
int PhotoEdgeFor(uint32_t screenWidth, uint32_t screenHeight);
// `edge` halved until the card takes textures that large (never below kMinStagingEdge).
int PhotoEdgeWithin(int edge, uint32_t maxTextureWidth, uint32_t maxTextureHeight);

struct ViewExtent {
  float width;
  float height;
};
// The longer side of a width x height screen becomes 1024 units.
ViewExtent ViewExtentFor(uint32_t width, uint32_t height);

// Milliseconds per displayed frame; a display that reports 0 Hz keeps 16.
uint32_t FrameIntervalFor(uint32_t refreshRate);

// v(i) = truncate(178.5 x sin(0.01232 x i)), 0 at both ends, 178 in the middle.
int ToneCurveValue(int i);
// The 256 X8R8G8B8 texels of the tone texture.
void FillToneTexels(uint32_t texels[kToneEntries]);

// Shader resource for a colour-effect code at a pixel-shader level; 0 for none.
int ShaderResourceFor(int effectCode, int shaderLevel);

// The float4 constants c0 (RGB2BW) and c1 (SEPIA_OFFSET) of a colour effect.
struct EffectConstants {
  bool hasLuma;
  float luma[3];
  bool hasOffset;
  float offset[3];
};
EffectConstants EffectConstantsFor(int effectCode);
