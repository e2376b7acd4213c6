#include "session/playlists.h"

#include <cstdlib>
#include <exception>

#include "media/media_expand.h"
#include "session/monitor_shows.h"
#include "session/playlist_rules.h"
#include "session/show_library.h"
#include "session/staging_surface.h"

namespace {

constexpr DWORD kPauseAfterFailedDecodeMs = 100;

WalkStopAsked StopAskedOf(const SlideshowSession& session) {
  return [&session] { return session.loaderStopping.load(); };
}

}  // namespace

// Threads seeding in the same millisecond (the loaders of two monitors)
// still draw different orders.
void SeedThreadRand() { std::srand(GetTickCount() + 7919u * GetCurrentThreadId()); }

HRESULT ExpandPhotoEntry(const wchar_t* entry, SlideshowSession& session) {
  // The walk gives whole paths; the list keeps each one compact.
  MediaList found;
  const HRESULT result = ExpandEntry(found, entry, session.sessionSettings.photoIncludeSubDir, StopAskedOf(session));
  for (const std::wstring& path : found) session.photoFiles.Append(path);
  return result;
}

HRESULT ExpandMusicEntry(const wchar_t* entry, SlideshowSession& session) {
  return ExpandEntry(session.music.musicFiles, entry, session.sessionSettings.musicIncludeSubDir, StopAskedOf(session));
}

void CopyShowSettings(SlideshowSession& session, const SaverSettings& settings) {
  session.sessionSettings = settings;
  session.sessionSettings.slideTime = ShownSlideTime(settings.slideTime);
}

void BuildPlaylists(SlideshowSession& session, const SaverSettings& settings, const MediaList& photoEntries,
                    const MediaList& musicEntries) {
  CopyShowSettings(session, settings);
  ExpandPlaylists(session, photoEntries, musicEntries);
}

void ExpandPlaylists(SlideshowSession& session, const MediaList& photoEntries, const MediaList& musicEntries) {
  ExpandPhotoList(session, photoEntries);
  ExpandMusicList(session, musicEntries);
}

void ExpandPhotoList(SlideshowSession& session, const MediaList& photoEntries) {
  session.photoFiles.Reset();
  session.photoIndex = 0;
  for (const std::wstring& entry : photoEntries) ExpandPhotoEntry(entry.c_str(), session);
  if (session.sessionSettings.photoRandom) SeedAndShuffle(session.photoFiles);
}

void ExpandMusicList(SlideshowSession& session, const MediaList& musicEntries) {
  MediaList& musicFiles = session.music.musicFiles;
  musicFiles.Clear();
  session.music.musicIndex = 0;
  for (const std::wstring& entry : musicEntries) ExpandMusicEntry(entry.c_str(), session);
  if (session.sessionSettings.musicRandom) SeedAndShuffle(musicFiles);
}

HRESULT LoadStep(SlideshowSession& session) {
  if (IsOtherMonitorShow(session) && !TakePublishedPhotos(session)) return E_FAIL;
  TakeLibraryNews(session);
  PublishPhotos(session);
  SkipPhotosOnOtherMonitors(session);
  const LoadStepActions actions{
      .decode =
          [&session] {
            const std::wstring path = session.photoFiles[session.photoIndex];
            const auto turn = DecodeTurn(session);
            bool decoded = false;
            // A photo that cannot be had (memory refused mid-decode) drops
            // out like a damaged one; the show goes on with the rest.
            try {
              decoded = SUCCEEDED(DecodePhoto(session));
            } catch (const std::exception&) {
              decoded = false;
            }
            NoteLibraryDecode(session, path, decoded);
            if (decoded) ClaimStaged(session, path);
            return decoded;
          },
      // The pause ends on the stop, which is signalled again for the
      // loader's own wait (the event resets itself when a wait takes it).
      .afterFailure =
          [&session] {
            const HANDLE stop = session.stopLoaderEvent.get();
            if (stop && WaitForSingleObject(stop, kPauseAfterFailedDecodeMs) == WAIT_OBJECT_0) SetEvent(stop);
          },
      .reshuffle =
          [&session] {
            if (!ReshuffleFromLibrary(session)) SeedAndShuffle(session.photoFiles);
          },
      .stopAsked = StopAskedOf(session),
  };
  bool staged = RunLoadStep(session.photoFiles, session.photoIndex, session.sessionSettings.photoRandom, actions);
  // Nothing decoded yet of a show started from one photo or from a walk's
  // first folders: the rest of the list, or the walk's next finds.
  while (!staged && !session.loaderStopping && (CompleteLibrary(session) || WaitForLibraryPhotos(session))) {
    staged = RunLoadStep(session.photoFiles, session.photoIndex, session.sessionSettings.photoRandom, actions);
  }
  return staged ? S_OK : E_FAIL;
}
