// One frame of the show on Wine's Direct3D 9: the slide hand-off through the
// events, fades, the colour cross-fade and the state caches. Pixel checks
// allow 3 levels of 255 (texture factor truncation and 8-bit blending).
#include <gtest/gtest.h>

#include <memory>

#include "render/slide_clock.h"
#include "session/render_thread.h"
#include "session/slideshow_session.h"
#include "session/staging_surface.h"
#include "tests/win32/render/render_test_support.h"

namespace {

class FrameTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TestWindow>(TestWindow::FullScreen());
    session_ = std::make_unique<SlideshowSession>();
    HRESULT hr = session_->renderer.Init(window_->get());
    if (hr == D3DERR_NOTAVAILABLE) GTEST_SKIP() << "no Direct3D 9 device on this display";
    ASSERT_EQ(hr, S_OK);
    SettleWindows();
    SlideshowSession& s = *session_;
    s.frameInterval = s.renderer.frameInterval;
    s.loadPhotoEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    s.loadCompleteEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    s.photoFiles.Append(L"a.jpg");
    s.photoFiles.Append(L"b.jpg");
    s.photoIndex = 1;
    Only(0, 0, 0);
    s.sessionSettings.slideTime = 5000;
    s.showRunning = true;
    s.firstFrame = true;
    staging_.Fill(0x808080);
  }
  void TearDown() override {
    if (!session_) return;
    session_->renderer.Release();
  }

  // One colour effect, one transition, one fade.
  void Only(int effect, int transition, int fade) {
    SaverSettings& s = session_->sessionSettings;
    s.colorEffects[0] = effect;
    s.colorEffectCount = 1;
    s.transitions[0] = transition;
    s.transitionCount = 1;
    s.fades[0] = fade;
    s.fadeCount = 1;
  }
  // The test's picture written into the staging memory the loader holds, as
  // a decode would, and its completion. A photo the test forces in without a request
  // takes the DC as the request would have.
  void PhotoReady() {
    if (!session_->stagingLock) {
      EXPECT_EQ(HandStagingToLoader(*session_), S_OK);
    }
    staging_.CopyInto(StagingTargetOf(*session_).pixels);
    SetEvent(session_->loadCompleteEvent.get());
  }
  bool Signalled(const AutoHandle& event) { return WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0; }

  // The frame RenderFrame just presented, shown by every buffer of the swap chain.
  uint32_t Centre() {
    session_->renderer.DrawFrame();
    session_->renderer.DrawFrame();
    Pixels screen = ReadScreen();
    EXPECT_GT(screen.width, 0);
    return screen.width ? screen.at(screen.width / 2, screen.height / 2) : 0xDEADBEEF;
  }

  // Sets the progress the next (non-beginning) frame will draw at.
  // The next frame comes p of the way into the 5 s slide (give or take the
  // few milliseconds until it is drawn).
  void NextFrameAt(float p) { session_->slideStart = SlideClockNow() - static_cast<uint32_t>(p * 5000.0f); }

  DWORD TextureFactor() {
    DWORD value = 0;
    session_->renderer.device->GetRenderState(D3DRS_TEXTUREFACTOR, &value);
    return value;
  }

  std::unique_ptr<TestWindow> window_;
  TestStaging staging_;
  std::unique_ptr<SlideshowSession> session_;
};

}  // namespace

TEST_F(FrameTest, FirstFrameTakesTheStagedPhotoOverAndRequestsTheNext) {
  PhotoReady();
  session_->frame.slideProgress = 0.6f;
  DWORD before = SlideClockNow();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_FALSE(session_->firstFrame);
  EXPECT_FALSE(Signalled(session_->loadCompleteEvent));  // consumed
  EXPECT_FALSE(Signalled(session_->loadPhotoEvent)) << "the slide change's frame has the machine to itself";
  EXPECT_EQ(session_->shownIndex, 0u);
  EXPECT_EQ(session_->frame.slideProgress, 0.0f);
  EXPECT_LE(session_->slideStart - before, 1000u);
  EXPECT_LE(SlideClockNow() - session_->slideStart, 1000u);
  EXPECT_TRUE(Near(Centre(), {128, 128, 128}, 2));

  // Within the slide: progress is the time into it; the next photo is asked
  // for on the following frame (the card has the photo: reading the screen
  // waited for it), and once only.
  NextFrameAt(0.2f);
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_NEAR(session_->frame.slideProgress, 0.2f, 0.02f);
  EXPECT_TRUE(Signalled(session_->loadPhotoEvent));
  NextFrameAt(0.3f);
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_FALSE(Signalled(session_->loadPhotoEvent));
}

TEST_F(FrameTest, ASlideOverByItsNextFrameStillAsksForThePhotoAfterIt) {
  session_->sessionSettings.slideTime = 0;
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  session_->slideStart = session_->slideStart - 1;  // the next frame, a clock tick later
  // The request comes once the card has taken the photo over; meanwhile
  // nothing new is staged and the last frame stays.
  bool asked = false;
  for (int frame = 0; frame < 200 && !asked; ++frame) {
    Sleep(session_->frameInterval);  // as the render thread waits between frames
    EXPECT_EQ(RenderFrame(*session_), E_FAIL) << "nothing staged: the last frame stays";
    asked = Signalled(session_->loadPhotoEvent);
  }
  EXPECT_TRUE(asked);
}

TEST_F(FrameTest, ALatePhotoHoldsTheFrameAndTheProgress) {
  session_->frame.slideProgress = 0.25f;
  EXPECT_EQ(RenderFrame(*session_), E_FAIL);
  EXPECT_TRUE(session_->firstFrame);
  EXPECT_FALSE(Signalled(session_->loadPhotoEvent));
  EXPECT_EQ(session_->frame.slideProgress, 0.25f);

  // The slide is over by time, the loader not done yet.
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  Signalled(session_->loadPhotoEvent);
  session_->slideStart = SlideClockNow() - 6000;
  EXPECT_EQ(RenderFrame(*session_), E_FAIL);
  PhotoReady();
  session_->photoIndex = 0;  // the loader wrapped to the start of the list
  EXPECT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_EQ(session_->shownIndex, 1u);
}

TEST_F(FrameTest, NothingHappensWhilePausedOrBeforeTheShowRuns) {
  PhotoReady();
  session_->paused = true;
  session_->frame.slideProgress = 0.4f;
  EXPECT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_TRUE(Signalled(session_->loadCompleteEvent));  // not consumed
  EXPECT_EQ(session_->frame.slideProgress, 0.4f);
  EXPECT_TRUE(session_->firstFrame);
  session_->paused = false;
  session_->showRunning = false;
  PhotoReady();
  EXPECT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_TRUE(Signalled(session_->loadCompleteEvent));
}

TEST_F(FrameTest, AnEmptyListShowsNothingAndRequestsNothing) {
  session_->photoFiles.Clear();
  PhotoReady();
  EXPECT_EQ(RenderFrame(*session_), E_FAIL);
  EXPECT_FALSE(Signalled(session_->loadPhotoEvent));
}

TEST_F(FrameTest, FadeCodesStartTheSlideFromBlackOrWhite) {
  Only(0, 0, 1);
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_EQ(session_->frame.lastMode, 1);
  EXPECT_EQ(TextureFactor(), 0xFFFFFFu);
  uint32_t black = Centre();
  EXPECT_TRUE(Near(black, {0, 0, 0}, 1)) << Describe(black);
  // Half-way into the fade: photo minus half the grey.
  NextFrameAt(0.075f);
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  uint32_t half = Centre();
  EXPECT_TRUE(Near(half, {1, 1, 1}, 3)) << Describe(half);

  Only(0, 0, 2);
  session_->firstFrame = true;
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_EQ(session_->frame.lastMode, 3);
  uint32_t white = Centre();
  EXPECT_TRUE(Near(white, {255, 255, 255}, 1)) << Describe(white);
  // Past the fade-in the photo shows untouched.
  NextFrameAt(0.5f);
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_EQ(session_->frame.lastMode, 0);
  EXPECT_EQ(TextureFactor(), 0u);  // the blend factor replaced the grey
  uint32_t photo = Centre();
  EXPECT_TRUE(Near(photo, {128, 128, 128}, 2)) << Describe(photo);
}

TEST_F(FrameTest, TransitionTwoCrossFadesFromThePhotoToItsEffect) {
  Only(1, 2, 0);
  staging_.Fill(0xFF0000);
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  uint32_t photo = Centre();
  EXPECT_TRUE(Near(photo, {255, 0, 0}, 2)) << Describe(photo);
  NextFrameAt(0.5f);
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  EXPECT_EQ(TextureFactor(), 127u << 24);
  // 127/255 of the black-and-white 76 over 128/255 of the red.
  uint32_t mixed = Centre();
  EXPECT_TRUE(Near(mixed, {166, 38, 38}, 3)) << Describe(mixed);
  NextFrameAt(0.75f);
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  uint32_t effect = Centre();
  EXPECT_TRUE(Near(effect, {76, 76, 76}, 2)) << Describe(effect);

  // An Original slide after it cross-fades into its own photo, not into the
  // effect image the last slide left behind.
  Only(0, 2, 0);
  staging_.Fill(0x0000FF);
  session_->firstFrame = true;
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  NextFrameAt(0.75f);
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  uint32_t original = Centre();
  EXPECT_TRUE(Near(original, {0, 0, 255}, 2)) << Describe(original);
}

TEST_F(FrameTest, FirstFrameAppliesEveryStateEvenWhenTheCachesMatch) {
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  // Something else changed the device; the caches still say mode 0, g 1, l 0.
  session_->renderer.SetCompositionMode(1);
  session_->renderer.device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x00808080);
  ASSERT_EQ(session_->frame.lastMode, 0);
  session_->firstFrame = true;
  PhotoReady();
  ASSERT_EQ(RenderFrame(*session_), S_OK);
  DWORD op = 0;
  session_->renderer.device->GetTextureStageState(0, D3DTSS_COLOROP, &op);
  EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(TextureFactor(), 0u);
  uint32_t photo = Centre();
  EXPECT_TRUE(Near(photo, {128, 128, 128}, 2)) << Describe(photo);
}
