#include <windows.h>

#include <gtest/gtest.h>

#include "settings/settings_store.h"

TEST(GraphicsCaps, WineDirect3DReportsPixelShaders) {
  pixelShaderLevel = -1;
  ASSERT_EQ(CheckGraphicsCaps(), S_OK);
  EXPECT_EQ(pixelShaderLevel, 2);
}
