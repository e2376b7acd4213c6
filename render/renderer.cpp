#include "render/renderer.h"

#include <cstring>

#include "render/slide_motion.h"
#include "settings/graphics_caps.h"
#include "settings/saver_settings.h"

namespace {

int ShowErrorBox(HWND owner, const wchar_t* text, const wchar_t* caption) {
  return MessageBoxW(owner, text, caption, MB_ICONERROR);
}

RendererMessageBoxFn showMessage = ShowErrorBox;

constexpr UINT kQuadBytes = sizeof(QuadVertex) * 4;

D3DMATRIX Identity() {
  D3DMATRIX m = {};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

}  // namespace

void SetRendererMessageBoxForTesting(RendererMessageBoxFn show) { showMessage = show ? show : ShowErrorBox; }

void Renderer::SetProjection(float width, float height) {
  D3DMATRIX p = {};
  p._11 = 2.0f / width;
  p._22 = 2.0f / height;
  p._33 = 1.0f;
  p._44 = 1.0f;
  device->SetTransform(D3DTS_PROJECTION, &p);
}

HRESULT Renderer::Init(HWND window, const std::function<HRESULT()>& beforeFirstFrame) {
  D3DCAPS9 caps;
  if (HRESULT hr = InitDevice(window, caps); FAILED(hr)) return hr;
  if (HRESULT hr = InitFixedState(caps); FAILED(hr)) return hr;
  if (HRESULT hr = InitGeometry(); FAILED(hr)) return hr;
  if (HRESULT hr = InitTextures(beforeFirstFrame); FAILED(hr)) return hr;
  HRESULT result = LoadEffectShaders();
  initialized = true;
  return result;
}

HRESULT Renderer::CreateDirect3D() {
  if (!d3d) d3d = ComRef<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION));
  return d3d ? S_OK : E_FAIL;
}

int Renderer::PhotoEdgeTheCardTakes(int wanted) const {
  D3DCAPS9 caps;
  if (!d3d || FAILED(d3d->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps))) return wanted;
  return PhotoEdgeWithin(wanted, caps.MaxTextureWidth, caps.MaxTextureHeight);
}

HRESULT Renderer::InitDevice(HWND window, D3DCAPS9& caps) {
  CreateDirect3D();
  auto tell = [window](const wchar_t* text, const wchar_t* caption) { showMessage(window, text, caption); };
  if (HRESULT hr = CheckDeviceCaps(d3d.get(), caps, tell, adapter); FAILED(hr)) return hr;
  DWORD vertexProcessing = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) && caps.VertexShaderVersion >= 0xFFFE0101
                               ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                               : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  shaderLevel = ShaderLevelFromVersion(caps.PixelShaderVersion);
  photoEdge = PhotoEdgeWithin(photoEdge, caps.MaxTextureWidth, caps.MaxTextureHeight);

  D3DDISPLAYMODE mode;
  if (HRESULT hr = d3d->GetAdapterDisplayMode(adapter, &mode); FAILED(hr)) return hr;
  frameInterval = FrameIntervalFor(mode.RefreshRate);

  RECT client = {};
  GetClientRect(window, &client);
  auto clientWidth = static_cast<UINT>(client.right - client.left);
  auto clientHeight = static_cast<UINT>(client.bottom - client.top);

  D3DPRESENT_PARAMETERS params = {};
  params.BackBufferWidth = fullScreen ? mode.Width : clientWidth;
  params.BackBufferHeight = fullScreen ? mode.Height : clientHeight;
  params.BackBufferFormat = mode.Format;
  params.BackBufferCount = 2;
  params.MultiSampleType = D3DMULTISAMPLE_NONE;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = window;
  params.Windowed = fullScreen ? FALSE : TRUE;
  params.EnableAutoDepthStencil = FALSE;
  params.FullScreen_RefreshRateInHz = 0;
  params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  if (HRESULT hr = d3d->CreateDevice(adapter, D3DDEVTYPE_HAL, window, vertexProcessing, &params, device.put());
      FAILED(hr)) {
    return hr;
  }

  viewport = {0, 0, params.BackBufferWidth, params.BackBufferHeight, 0.0f, 1.0f};
  device->SetViewport(&viewport);
  SetWorld(1.0f, 1.0f, 0.0f, 0.0f, 0.0f);

  ViewExtent extent = mode.Width == 0 || mode.Height == 0 ? ViewExtentFor(0, 0)
                      : fullScreen                        ? ViewExtentFor(mode.Width, mode.Height)
                                                          : ViewExtentFor(clientWidth, clientHeight);
  viewWidth = extent.width;
  viewHeight = extent.height;
  D3DMATRIX identity = Identity();
  device->SetTransform(D3DTS_VIEW, &identity);
  SetProjection(viewWidth, viewHeight);
  return S_OK;
}

HRESULT Renderer::InitFixedState(const D3DCAPS9& caps) {
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  if (FAILED(device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE)) ||
      FAILED(device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE))) {
    return E_FAIL;
  }

  const DWORD magFilter = (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFLINEAR) ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  const DWORD minFilter = (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR) ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  for (DWORD sampler = 0; sampler < 16; ++sampler) {
    if (FAILED(device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP)) ||
        FAILED(device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP)) ||
        FAILED(device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, magFilter)) ||
        FAILED(device->SetSamplerState(sampler, D3DSAMP_MINFILTER, minFilter)) ||
        FAILED(device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_NONE))) {
      return E_FAIL;
    }
  }

  if (FAILED(SetCompositionMode(kModeBlend)) || FAILED(device->SetRenderState(D3DRS_TEXTUREFACTOR, 0))) return E_FAIL;
  return S_OK;
}

HRESULT Renderer::InitGeometry() {
  if (HRESULT hr = device->CreateVertexBuffer(kQuadBytes, 0, kQuadFvf, D3DPOOL_DEFAULT, quadBuffer.put(), nullptr);
      FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = WriteQuad(); FAILED(hr)) return hr;
  if (FAILED(device->SetStreamSource(0, quadBuffer.get(), 0, sizeof(QuadVertex))) || FAILED(device->SetFVF(kQuadFvf))) {
    return E_FAIL;
  }
  return S_OK;
}

// The texture coordinates depend on the photo texture's size.
HRESULT Renderer::WriteQuad() {
  QuadVerticesFor(photoEdge, quad);
  void* vertices = nullptr;
  if (HRESULT hr = quadBuffer->Lock(0, kQuadBytes, &vertices, 0); FAILED(hr)) return hr;
  std::memcpy(vertices, quad, kQuadBytes);
  if (FAILED(quadBuffer->Unlock())) return E_FAIL;
  return S_OK;
}

HRESULT Renderer::CreateTextureAndSurface(UINT width, UINT height, DWORD usage, D3DPOOL pool,
                                          ComRef<IDirect3DTexture9>& texture, ComRef<IDirect3DSurface9>& surface) {
  if (HRESULT hr = device->CreateTexture(width, height, 1, usage, D3DFMT_X8R8G8B8, pool, texture.put(), nullptr);
      FAILED(hr)) {
    return hr;
  }
  return texture->GetSurfaceLevel(0, surface.put());
}

HRESULT Renderer::CreatePhotoTextures(int edge) {
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
  stagingSurface.reset();
  stagingTexture.reset();
  photoTexture.reset();
  effectSurface.reset();
  effectTexture.reset();
  const auto side = static_cast<UINT>(edge);
  if (HRESULT hr = CreateTextureAndSurface(side, side, 0, D3DPOOL_SYSTEMMEM, stagingTexture, stagingSurface);
      FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr =
          device->CreateTexture(side, side, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, photoTexture.put(), nullptr);
      FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr =
          CreateTextureAndSurface(side, side, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, effectTexture, effectSurface);
      FAILED(hr)) {
    return hr;
  }
  photoEdge = edge;
  if (HRESULT hr = WriteQuad(); FAILED(hr)) return hr;
  if (HRESULT hr = device->SetTexture(0, photoTexture.get()); FAILED(hr)) return hr;
  return device->SetTexture(1, effectTexture.get());
}

HRESULT Renderer::InitTextures(const std::function<HRESULT()>& beforeFirstFrame) {
  HRESULT made = CreatePhotoTextures(photoEdge);
  // Video memory may refuse screen-sized textures: the show still runs, softer.
  if (FAILED(made) && photoEdge > kMinStagingEdge) made = CreatePhotoTextures(kMinStagingEdge);
  if (FAILED(made)) return made;

  // Written once, so managed: its lock is a copy in memory. Locking a card's
  // texture waits for the device's queue to drain first, which held the
  // first photo back by a third of a second under Wine on a busy machine.
  if (HRESULT hr = CreateTextureAndSurface(kToneEntries, 1, 0, D3DPOOL_MANAGED, toneTexture, toneSurface); FAILED(hr)) {
    return hr;
  }
  FillToneCurve();
  if (HRESULT hr = device->SetTexture(2, toneTexture.get()); FAILED(hr)) return hr;
  if (FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, uploadDone.put()))) uploadDone.reset();
  for (ComRef<IDirect3DQuery9>& done : frameDone) {
    if (FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, done.put()))) done.reset();
  }
  frameSlot = 0;
  if (beforeFirstFrame) {
    if (HRESULT hr = beforeFirstFrame(); FAILED(hr)) return hr;
  }
  // Black at once: until the first photo is drawn (or when there is none) the
  // screen would otherwise keep showing the desktop.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  if (FAILED(device->GetRenderTarget(0, backBuffer.put()))) return E_FAIL;
  return S_OK;
}

HRESULT Renderer::LoadEffectShaders() {
  HRESULT result = S_OK;
  if (shaderLevel <= 0 || !device) return result;
  HMODULE module = GetModuleHandleW(nullptr);
  for (int code = 0; code < kMaxColorEffects; ++code) {
    effectShaders[code].reset();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(ShaderResourceFor(code, shaderLevel)), L"SHADER");
    if (!found || SizeofResource(module, found) == 0) continue;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) continue;
    result = device->CreatePixelShader(static_cast<const DWORD*>(bytes), effectShaders[code].put());
  }
  return result;
}

HRESULT Renderer::FillToneCurve() {
  if (!toneSurface) return E_FAIL;
  uint32_t texels[kToneEntries];
  FillToneTexels(texels);
  D3DLOCKED_RECT locked;
  if (FAILED(toneSurface->LockRect(&locked, nullptr, D3DLOCK_DISCARD))) return E_FAIL;
  std::memcpy(locked.pBits, texels, sizeof texels);
  if (FAILED(toneSurface->UnlockRect())) return E_FAIL;
  return S_OK;
}

void Renderer::SetWorld(float scaleX, float scaleY, float offsetX, float offsetY, float angle) {
  if (!device) return;
  D3DMATRIX world;
  WorldMatrix(scaleX, scaleY, offsetX, offsetY, angle, &world._11);
  device->SetTransform(D3DTS_WORLD, &world);
}

HRESULT Renderer::UploadStaging() {
  if (!stagingTexture || !photoTexture) return E_FAIL;
  return device->UpdateTexture(stagingTexture.get(), photoTexture.get());
}

void Renderer::MarkSlideChangeQueued() {
  if (uploadDone) uploadDone->Issue(D3DISSUE_END);
}

bool Renderer::StagingInUse() const {
  return uploadDone && uploadDone->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE;
}

HRESULT Renderer::DrawFrame() {
  if (!device) return E_FAIL;
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  if (FAILED(device->BeginScene())) return E_FAIL;
  if (FAILED(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2))) {
    device->EndScene();  // a scene left open would fail every later frame
    return E_FAIL;
  }
  if (FAILED(device->EndScene())) return E_FAIL;
  if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) return E_FAIL;
  if (frameDone[frameSlot]) frameDone[frameSlot]->Issue(D3DISSUE_END);
  frameSlot ^= 1;
  return S_OK;
}

bool Renderer::FramesQueued() const {
  // The slot about to be reused holds the frame before last.
  const ComRef<IDirect3DQuery9>& done = frameDone[frameSlot];
  return done && done->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE;
}

HRESULT Renderer::Release() {
  if (device) device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  uploadDone.reset();
  for (ComRef<IDirect3DQuery9>& done : frameDone) done.reset();
  stagingSurface.reset();
  stagingTexture.reset();
  photoTexture.reset();
  effectTexture.reset();
  effectSurface.reset();
  toneTexture.reset();
  toneSurface.reset();
  for (auto& shader : effectShaders) shader.reset();
  quadBuffer.reset();
  backBuffer.reset();
  device.reset();
  d3d.reset();
  initialized = false;
  return S_OK;
}

HRESULT Renderer::SetCompositionMode(int mode) {
  struct State {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
  };
  static const State mode0[] = {
      {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1},       {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {1, D3DTSS_COLOROP, D3DTOP_BLENDFACTORALPHA}, {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
  };
  static const State mode1[] = {
      {0, D3DTSS_COLOROP, D3DTOP_SUBTRACT},
      {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {0, D3DTSS_COLORARG2, D3DTA_TFACTOR},
      {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
  };
  static const State mode2[] = {
      {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {1, D3DTSS_COLOROP, D3DTOP_SUBTRACT},   {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {1, D3DTSS_COLORARG2, D3DTA_TFACTOR},
  };
  static const State mode3[] = {
      {0, D3DTSS_COLOROP, D3DTOP_ADD},
      {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {0, D3DTSS_COLORARG2, D3DTA_TFACTOR},
      {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
  };
  static const State mode4[] = {
      {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE}, {1, D3DTSS_COLOROP, D3DTOP_ADD},
      {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},   {1, D3DTSS_COLORARG2, D3DTA_TFACTOR},
  };
  struct Row {
    const State* states;
    size_t count;
  };
  static const Row rows[] = {{mode0, std::size(mode0)},
                             {mode1, std::size(mode1)},
                             {mode2, std::size(mode2)},
                             {mode3, std::size(mode3)},
                             {mode4, std::size(mode4)}};
  if (mode < 0 || mode > 4) return S_OK;
  if (!device) return E_FAIL;
  for (size_t i = 0; i < rows[mode].count; ++i) {
    const State& s = rows[mode].states[i];
    if (FAILED(device->SetTextureStageState(s.stage, s.type, s.value))) return E_FAIL;
  }
  return S_OK;
}

void Renderer::SetFadeLevel(float g) {
  if (device) device->SetRenderState(D3DRS_TEXTUREFACTOR, FadeLevelFactor(g));
}

void Renderer::SetBlendFactor(float l) {
  if (device) device->SetRenderState(D3DRS_TEXTUREFACTOR, BlendFactorValue(l));
}
