#pragma once
// The Direct3D 9 renderer held inside the session record: one device, one
// textured quad, the photo, its colour-effect image and the tone curve.

#include <windows.h>

#include <d3d9.h>

#include <cstdint>
#include <functional>

#include "ownership/com_ref.h"
#include "render/render_maths.h"
#include "settings/saver_settings.h"

class Renderer {
 public:
  Renderer() = default;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;
  // Releases in the fixed order whatever a session left behind.
  ~Renderer() { Release(); }

  // Makes the Direct3D object Init then uses, unless there is one already.
  HRESULT CreateDirect3D();
  // `wanted` lowered to the largest texture the card takes.
  int PhotoEdgeTheCardTakes(int wanted) const;
  // `beforeFirstFrame`, when given, runs once the textures exist and before
  // the first (black) frame is queued: a lock of the staging texture there
  // does not wait for the card to show that frame.
  HRESULT Init(HWND window, const std::function<HRESULT()>& beforeFirstFrame = nullptr);
  // Always S_OK; safe on a renderer whose Init stopped half-way.
  HRESULT Release();
  // Copies the staging texture whole into the photo texture. It must not be
  // locked.
  HRESULT UploadStaging();
  // Marks the end of a slide change's work on the card (the upload and the
  // effect pass), which StagingInUse waits for.
  void MarkSlideChangeQueued();
  // True until the card has done the last slide change: drawing on the
  // staging texture before then waits for all of it, and the frames with it.
  bool StagingInUse() const;
  void SetWorld(float scaleX, float scaleY, float offsetX, float offsetY, float angle);
  HRESULT DrawFrame();
  // True while the card is two frames behind: a frame drawn now would wait
  // in Present for it (under Wine spinning on a core the card's own thread
  // needs), so the frame is better skipped until the next tick.
  bool FramesQueued() const;
  HRESULT FillToneCurve();

  // Draws the photo once through the effect's shader into effectTexture.
  HRESULT RenderEffect(int effectCode);
  HRESULT SetEffectConstant(unsigned reg, float x, float y, float z);
  // Creates the four shaders for shaderLevel from the program's SHADER
  // resources; returns the last creation's result.
  HRESULT LoadEffectShaders();

  HRESULT SetCompositionMode(int mode);
  void SetFadeLevel(float g);
  void SetBlendFactor(float l);

  ComRef<IDirect3D9> d3d;
  ComRef<IDirect3DDevice9> device;
  ComRef<IDirect3DVertexBuffer9> quadBuffer;
  // The photo as the loader writes it, in system memory (locked meanwhile),
  // and as the card samples it, in video memory: the upload is one copy by
  // the card's own transfer, with no other copy of the picture.
  ComRef<IDirect3DTexture9> stagingTexture;
  ComRef<IDirect3DSurface9> stagingSurface;
  ComRef<IDirect3DTexture9> photoTexture;
  // Signalled once the card has done the last slide change; null where the
  // card has no event queries (then the staging texture counts as free).
  ComRef<IDirect3DQuery9> uploadDone;
  // The end of each of the last two frames; null without event queries.
  ComRef<IDirect3DQuery9> frameDone[2];
  int frameSlot = 0;
  ComRef<IDirect3DTexture9> effectTexture;
  ComRef<IDirect3DSurface9> effectSurface;
  ComRef<IDirect3DTexture9> toneTexture;
  ComRef<IDirect3DSurface9> toneSurface;
  ComRef<IDirect3DSurface9> backBuffer;
  QuadVertex quad[4] = {};
  ComRef<IDirect3DPixelShader9> effectShaders[kMaxColorEffects];
  bool initialized = false;
  D3DVIEWPORT9 viewport = {};
  float viewWidth = 0.0f;
  float viewHeight = 0.0f;
  // Nominal milliseconds between frames, from the display's refresh rate.
  uint32_t frameInterval = 16;
  int shaderLevel = 0;
  bool fullScreen = true;
  // The adapter driving the monitor the device draws on.
  UINT adapter = D3DADAPTER_DEFAULT;
  // Texels of the staging, photo and effect textures along each side: set
  // before Init to what the screen wants; Init lowers it to what the card
  // takes, and to kMinStagingEdge when the larger textures cannot be made.
  int photoEdge = kMinStagingEdge;

 private:
  // Init's steps, in order: the device for the window, the states that never
  // change, the quad, and the textures with the first black frame.
  HRESULT InitDevice(HWND window, D3DCAPS9& caps);
  HRESULT InitFixedState(const D3DCAPS9& caps);
  HRESULT InitGeometry();
  HRESULT InitTextures(const std::function<HRESULT()>& beforeFirstFrame);
  HRESULT CreatePhotoTextures(int edge);
  HRESULT CreateTextureAndSurface(UINT width, UINT height, DWORD usage, D3DPOOL pool,
                                  ComRef<IDirect3DTexture9>& texture, ComRef<IDirect3DSurface9>& surface);
  HRESULT WriteQuad();
  void SetProjection(float width, float height);
};

// The renderer's two message boxes (no Direct3D 9, textures too small); tests
// replace them so that nothing waits for a click.
using RendererMessageBoxFn = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption);
void SetRendererMessageBoxForTesting(RendererMessageBoxFn show);
