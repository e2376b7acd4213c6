// The colour-effect pass: once per slide, the photo through its effect's pixel
// shader into effectTexture.
#include "render/renderer.h"
#include "settings/saver_settings.h"

HRESULT Renderer::SetEffectConstant(unsigned reg, float x, float y, float z) {
  if (!device) return E_FAIL;
  const float value[4] = {x, y, z, 0.0f};
  return device->SetPixelShaderConstantF(reg, value, 1);
}

HRESULT Renderer::RenderEffect(int effectCode) {
  if (shaderLevel == 0) return S_OK;
  if (!device || !effectSurface || effectCode < kEffectOriginal || effectCode > kEffectBlue) return E_FAIL;
  // The photo unchanged is the photo: no pass, its own texture stands in.
  if (effectCode == kEffectOriginal) return device->SetTexture(1, photoTexture.get());
  if (FAILED(device->SetTexture(1, effectTexture.get()))) return E_FAIL;
  SetProjection(static_cast<float>(kQuadUnits), static_cast<float>(kQuadUnits));
  if (FAILED(device->SetRenderTarget(0, effectSurface.get()))) return E_FAIL;

  // Any failure from here on puts the back buffer back, so that the next
  // frames still reach the screen.
  auto pass = [&]() -> HRESULT {
    EffectConstants k = EffectConstantsFor(effectCode);
    if (k.hasLuma && FAILED(SetEffectConstant(0, k.luma[0], k.luma[1], k.luma[2]))) return E_FAIL;
    if (k.hasOffset && FAILED(SetEffectConstant(1, k.offset[0], k.offset[1], k.offset[2]))) return E_FAIL;
    if (HRESULT hr = device->SetPixelShader(effectShaders[effectCode].get()); FAILED(hr)) return hr;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    HRESULT drawn = E_FAIL;
    if (SUCCEEDED(device->BeginScene())) {
      drawn = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
      if (FAILED(device->EndScene())) drawn = E_FAIL;
    }
    HRESULT unbound = device->SetPixelShader(nullptr);
    if (FAILED(drawn)) return E_FAIL;
    return unbound;
  };
  HRESULT result = pass();
  device->SetPixelShader(nullptr);
  if (FAILED(device->SetRenderTarget(0, backBuffer.get())) && SUCCEEDED(result)) result = E_FAIL;
  device->SetViewport(&viewport);
  SetProjection(viewWidth, viewHeight);
  return result;
}
