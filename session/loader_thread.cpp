#include "session/loader_thread.h"

#include <exception>

#include "ownership/com_ref.h"
#include "session/monitor_shows.h"
#include "session/playlists.h"
#include "session/show_library.h"

namespace {

HANDLE CreateSessionEvent(const SlideshowSession& session, const wchar_t* name) {
  return CreateEventW(nullptr, FALSE, FALSE, SessionEventName(session, name));
}

}  // namespace

HRESULT RunLoader(SlideshowSession& session) {
  if (!session.loadPhotoEvent || !session.loadCompleteEvent || !session.stopLoaderEvent) return E_INVALIDARG;
  // The photo codecs are COM objects, created on this thread for each photo.
  ScopedComInit com;
  if (session.listsToExpand) {
    session.loaderBusy = true;
    // Nothing else touches the lists before the first completion or this notice.
    // Out of memory part-way, the show runs with the files found so far.
    try {
      if (ExpandLibraryPhotos(session)) {
        ExpandMusicList(session, session.musicEntries);
      } else {
        ExpandPlaylists(session, session.photoEntries, session.musicEntries);
      }
    } catch (const std::exception&) {
    }
    session.listsToExpand = false;
    session.loaderBusy = false;
    session.listsReady = true;
    if (session.window) PostMessageW(session.window, kListsReadyMessage, 0, 0);
  }
  // Request first: when both are signalled the request is served and the stop
  // is seen on the next wait.
  const HANDLE waitOn[2] = {session.loadPhotoEvent.get(), session.stopLoaderEvent.get()};
  HRESULT last = S_OK;
  bool aheadOfTime = false;
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, waitOn, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0) break;  // the stop, or a wait that cannot work
    // Whatever fails inside a step fails that step only: the request still
    // completes, and the thread stays for the next one.
    session.loaderBusy = true;
    try {
      last = LoadStep(session);
    } catch (const std::exception&) {
      last = E_OUTOFMEMORY;
    }
    session.loaderBusy = false;
    // The first photo is what the black screen waits for: it is decoded as an
    // equal of every other program. Photos decoded ahead give way, so that
    // the frames never wait for them.
    if (!aheadOfTime && !session.loaderStopping) SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
    aheadOfTime = true;
    SetEvent(session.loadCompleteEvent.get());
  }
  try {
    CloseLibrary(session);
  } catch (const std::exception&) {
  }
  return last;
}

DWORD WINAPI LoaderThread(void* session) {
  RunLoader(*static_cast<SlideshowSession*>(session));
  return 0;
}

HRESULT CreateLoaderEvents(SlideshowSession& session) {
  session.loadPhotoEvent.reset(CreateSessionEvent(session, L"BrindoraPro_LoadPhoto"));
  if (!session.loadPhotoEvent) return E_FAIL;
  session.loadCompleteEvent.reset(CreateSessionEvent(session, L"BrindoraPro_LoadPhotoComplete"));
  if (!session.loadCompleteEvent) return E_FAIL;
  session.stopLoaderEvent.reset(CreateSessionEvent(session, L"BrindoraPro_StopThLoadPhoto"));
  if (!session.stopLoaderEvent) return E_FAIL;
  session.stopWalkEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!session.stopWalkEvent) return E_FAIL;
  return S_OK;
}

HRESULT StartLoaderThread(SlideshowSession& session) {
  session.loaderStopping = false;
  if (session.stopWalkEvent) ResetEvent(session.stopWalkEvent.get());
  session.loaderThread.reset(CreateThread(nullptr, 0, LoaderThread, &session, 0, nullptr));
  return session.loaderThread ? S_OK : E_FAIL;
}

bool StopLoaderThread(SlideshowSession& session) {
  if (!session.loaderThread) return true;
  session.loaderStopping = true;
  if (session.stopWalkEvent) SetEvent(session.stopWalkEvent.get());
  if (session.stopLoaderEvent) SetEvent(session.stopLoaderEvent.get());
  // At its lowest priority a busy machine may not run it at all: a thread
  // told to stop competes as an equal, so that the exit is not held back.
  SetThreadPriority(session.loaderThread.get(), THREAD_PRIORITY_NORMAL);
  bool ended = WaitForSingleObject(session.loaderThread.get(), kLoaderStopWaitMs) == WAIT_OBJECT_0;
  // Only a walk or a decode in progress is left behind; a loader that is
  // merely slow to be scheduled gets the longer wait.
  if (!ended && !session.loaderBusy) {
    ended = WaitForSingleObject(session.loaderThread.get(), kRenderStopWaitMs) == WAIT_OBJECT_0;
  }
  session.loaderThread.reset();  // closing the handle leaves a running thread running
  return ended;
}
