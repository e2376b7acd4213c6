#pragma once
// What the photo tests share: the generated fixture tree seen from Wine, a
// session with a real staging surface, and reading its pixels back.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "media/photo_fit.h"
#include "ownership/com_ref.h"
#include "session/slideshow_session.h"
#include "session/staging_surface.h"
#include "tests/win32/test_support.h"

namespace phototest {

// The fixture folder (made by make_photo_fixtures.py), as a Windows path
// through Wine's Z: drive, followed by `relative`.
inline std::wstring Fixture(const std::wstring& relative = L"") {
  wchar_t unixPath[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"BRINDORA_PHOTO_FIXTURES", unixPath, 1024);
  if (n == 0 || n >= 1024) return L"";
  std::wstring path = L"Z:";
  for (const wchar_t* c = unixPath; *c; ++c) path += *c == L'/' ? L'\\' : *c;
  if (!relative.empty()) path += L"\\" + relative;
  return path;
}

// 0x00RRGGBB
constexpr uint32_t kBlack = 0;
constexpr uint32_t kSentinel = 0x00FF00FF;  // magenta: nothing in the fixtures is
inline const uint32_t kOrange = Rgb(200, 100, 50);
inline const uint32_t kRed = Rgb(255, 0, 0);
inline const uint32_t kGreen = Rgb(0, 255, 0);
inline const uint32_t kBlue = Rgb(0, 0, 255);

// A session record whose loader holds the staging surface, as the running
// saver's does while a photo is asked for.
class StagedSession {
 public:
  StagedSession() {
    EXPECT_NE(window_.get(), nullptr);
    session.renderer.fullScreen = false;
    session.renderer.photoEdge = kMinStagingEdge;
    EXPECT_EQ(session.renderer.Init(window_.get()), S_OK);
    EXPECT_EQ(HandStagingToLoader(session), S_OK);
  }
  StagedSession(const StagedSession&) = delete;
  StagedSession& operator=(const StagedSession&) = delete;
  ~StagedSession() { StopStagingGraphics(session); }

  void Fill(uint32_t rgb) {
    const StagingPixels surface = StagingTargetOf(session).pixels;
    for (int y = 0; y < surface.edge; ++y) std::fill_n(surface.Row(y), surface.edge, rgb);
  }

  void SetFiles(const std::vector<std::wstring>& paths) {
    session.photoFiles.Clear();
    for (const auto& p : paths) session.photoFiles.Append(p);
    session.photoIndex = 0;
  }

  // The whole surface, row by row from the top, 0x00RRGGBB.
  std::vector<uint32_t> Pixels() {
    const StagingPixels surface = StagingTargetOf(session).pixels;
    std::vector<uint32_t> pixels;
    for (int y = 0; y < surface.edge; ++y) pixels.insert(pixels.end(), surface.Row(y), surface.Row(y) + surface.edge);
    for (auto& px : pixels) px &= 0x00FFFFFF;
    return pixels;
  }

  SlideshowSession session;

 private:
  ScopedComInit com_;  // the photo codecs are COM objects, as on the loader thread
  TestWindow window_ = TestWindow::Hidden();
};

}  // namespace phototest
