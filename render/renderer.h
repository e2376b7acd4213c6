#pragma once
// The Direct3D 9 renderer held inside the session record. Minimal declaration
// until the renderer is built: the fields the session reads.

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "render/com_ref.h"

class Renderer {
 public:
  bool fullScreen = true;
  // Nominal milliseconds between frames, from the display's refresh rate.
  uint32_t frameInterval = 16;
  ComRef<IDirect3DDevice9> device;
};
