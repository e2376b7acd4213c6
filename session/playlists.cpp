#include "session/playlists.h"

#include <cstdlib>

#include "media/decode_photo.h"
#include "media/media_expand.h"
#include "session/playlist_rules.h"
#include "settings/settings_store.h"

namespace {

// rand's state is per thread: each thread seeds its own before it shuffles.
void SeedAndShuffle(MediaList& list) {
  std::srand(GetTickCount());
  if (!list.Empty()) ShuffleList(list);
}

constexpr DWORD kPauseAfterFailedDecodeMs = 100;

}  // namespace

void BuildPlaylists(SlideshowSession& session) {
  session.sessionSettings = saverSettings;
  session.sessionSettings.slideTime = ShownSlideTime(saverSettings.slideTime);

  session.photoFiles.Clear();
  session.photoIndex = 0;
  for (const std::wstring& entry : photoEntries) ExpandPhotoEntry(entry.c_str(), session);
  if (session.sessionSettings.photoRandom) SeedAndShuffle(session.photoFiles);

  session.musicFiles.Clear();
  session.musicIndex = 0;
  for (const std::wstring& entry : musicEntries) ExpandMusicEntry(entry.c_str(), session);
  if (session.sessionSettings.musicRandom) SeedAndShuffle(session.musicFiles);
}

HRESULT LoadStep(SlideshowSession& session) {
  const LoadStepActions actions{
      .decode = [&session] { return SUCCEEDED(DecodePhoto(session)); },
      .afterFailure = [] { Sleep(kPauseAfterFailedDecodeMs); },
      .reshuffle = [&session] { SeedAndShuffle(session.photoFiles); },
  };
  const bool staged = RunLoadStep(session.photoFiles, session.photoIndex, session.sessionSettings.photoRandom, actions);
  return staged ? S_OK : E_FAIL;
}
