#include "settings/graphics_caps.h"

#include "ownership/com_ref.h"
#include "settings/settings_store.h"

namespace {

int ShowErrorBox(const wchar_t* text, const wchar_t* caption) {
  return MessageBoxW(nullptr, text, caption, MB_ICONERROR);
}

CapsMessageBoxFn showMessage = ShowErrorBox;

}  // namespace

void SetCapsMessageBoxForTesting(CapsMessageBoxFn show) { showMessage = show ? show : ShowErrorBox; }

HRESULT CheckDeviceCaps(IDirect3D9* d3d, D3DCAPS9& caps,
                        const std::function<void(const wchar_t* text, const wchar_t* caption)>& tell, UINT adapter) {
  if (!d3d) {
    tell(L"Please update your DirectX to 9.0c or above", kCapsMessageCaption);
    return E_FAIL;
  }
  if (FAILED(d3d->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps))) return E_FAIL;
  if (!SupportsLargeTextures(caps.MaxTextureWidth, caps.MaxTextureHeight)) {
    tell(L"Sorry that this software can't work because your graphics card does not support large texture.",
         kCapsMessageCaption);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT CheckGraphicsCaps(IDirect3D9* d3d) {
  D3DCAPS9 caps;
  if (HRESULT hr = CheckDeviceCaps(d3d, caps, showMessage); FAILED(hr)) return hr;
  pixelShaderLevel = ShaderLevelFromVersion(caps.PixelShaderVersion);
  return S_OK;
}

HRESULT CheckGraphicsCaps() {
  ComRef<IDirect3D9> d3d(Direct3DCreate9(D3D_SDK_VERSION));
  return CheckGraphicsCaps(d3d.get());
}
