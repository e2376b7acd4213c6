#include <d3d9.h>

#include "render/com_ref.h"
#include "settings/settings_store.h"

namespace {

int ShowErrorBox(const wchar_t* text, const wchar_t* caption) {
  return MessageBoxW(nullptr, text, caption, MB_ICONERROR);
}

CapsMessageBoxFn showMessage = ShowErrorBox;

}  // namespace

void SetCapsMessageBoxForTesting(CapsMessageBoxFn show) { showMessage = show ? show : ShowErrorBox; }

HRESULT CheckGraphicsCaps() {
  ComRef<IDirect3D9> d3d(Direct3DCreate9(D3D_SDK_VERSION));
  if (!d3d) {
    showMessage(L"Please update your DirectX to 9.0c or above", L"Error");
    return E_FAIL;
  }
  D3DCAPS9 caps;
  if (FAILED(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps))) return E_FAIL;
  if (!SupportsLargeTextures(caps.MaxTextureWidth, caps.MaxTextureHeight)) {
    showMessage(L"Sorry that this software can't work because your graphics card does not support large texture.",
                L"Error");
    return E_FAIL;
  }
  pixelShaderLevel = ShaderLevelFromVersion(caps.PixelShaderVersion);
  return S_OK;
}
