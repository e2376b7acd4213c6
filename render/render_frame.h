#pragma once
// One frame of the slideshow, the render thread's step.

#include <windows.h>

struct SlideshowSession;

// Progress through the current slide, 0 when it begins.
extern float slideProgress;

// What was last sent to the device, so that states are set only on change.
extern int lastMode;
extern float lastFadeLevel;
extern float lastBlendFactor;

// Draws the new slide's motion, easing, fade, transition and colour effect
// from this thread's rand.
void BeginSlideChoices(SlideshowSession& session);

// Takes the staged photo over when the slide is due, then draws and presents
// one frame. E_FAIL when the next photo is not ready (nothing is drawn).
HRESULT RenderFrame(SlideshowSession& session);
