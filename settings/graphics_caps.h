#pragma once
// The graphics capability check shared by the settings (which only need the
// pixel-shader level) and the renderer (which goes on to make a device).

#include <windows.h>

#include <d3d9.h>

#include <functional>

// The caption of both messages.
inline constexpr wchar_t kCapsMessageCaption[] = L"Error";

// Reads the adapter's capabilities into `caps`. E_FAIL, after
// showing why through `tell` (text, caption) where the user can act, when
// there is no Direct3D 9, the capabilities cannot be read, or textures are
// smaller than a photo.
HRESULT CheckDeviceCaps(IDirect3D9* d3d, D3DCAPS9& caps,
                        const std::function<void(const wchar_t* text, const wchar_t* caption)>& tell,
                        UINT adapter = D3DADAPTER_DEFAULT);
