#pragma once
// The shell's drag-and-drop handle: DragFinish once, whoever gives up first.

#include <windows.h>

#include <shellapi.h>

#include "ownership/scoped_handle.h"

struct DropTraits {
  using Type = HDROP;
  static HDROP Invalid() { return nullptr; }
  static void Close(HDROP drop) { DragFinish(drop); }
};
using AutoDrop = ScopedResource<DropTraits>;
