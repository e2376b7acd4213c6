#pragma once
// The music side of pausing and resuming the show.

// Pauses the current track; called only while music is playing.
void PauseMusic();
// Resumes the current track after PauseMusic.
void ResumeMusic();
