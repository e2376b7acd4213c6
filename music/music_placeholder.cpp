#include "music/music_player.h"

// Placeholders until the music player exists: there is no track to pause.
void PauseMusic() {}
void ResumeMusic() {}
