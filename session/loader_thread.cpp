#include "session/loader_thread.h"

#include "session/playlists.h"

namespace {

HANDLE CreateSessionEvent(const wchar_t* name) { return CreateEventW(nullptr, FALSE, FALSE, name); }

}  // namespace

HRESULT RunLoader(SlideshowSession& session) {
  if (!session.loadPhotoEvent || !session.loadCompleteEvent || !session.stopLoaderEvent) return E_INVALIDARG;
  // Request first: when both are signalled the request is served and the stop
  // is seen on the next wait.
  const HANDLE waitOn[2] = {session.loadPhotoEvent.get(), session.stopLoaderEvent.get()};
  HRESULT last = S_OK;
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, waitOn, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0) break;  // the stop, or a wait that cannot work
    last = LoadStep(session);
    SetEvent(session.loadCompleteEvent.get());
  }
  return last;
}

DWORD WINAPI LoaderThread(void* session) {
  RunLoader(*static_cast<SlideshowSession*>(session));
  return 0;
}

HRESULT CreateLoaderEvents(SlideshowSession& session) {
  session.loadPhotoEvent.reset(CreateSessionEvent(L"BrindoraPro_LoadPhoto"));
  if (!session.loadPhotoEvent) return E_FAIL;
  session.loadCompleteEvent.reset(CreateSessionEvent(L"BrindoraPro_LoadPhotoComplete"));
  if (!session.loadCompleteEvent) return E_FAIL;
  session.stopLoaderEvent.reset(CreateSessionEvent(L"BrindoraPro_StopThLoadPhoto"));
  if (!session.stopLoaderEvent) return E_FAIL;
  return S_OK;
}

HRESULT StartLoaderThread(SlideshowSession& session) {
  session.loaderThread.reset(CreateThread(nullptr, 0, LoaderThread, &session, 0, nullptr));
  if (!session.loaderThread) return E_FAIL;
  SetThreadPriority(session.loaderThread.get(), THREAD_PRIORITY_LOWEST);
  return S_OK;
}

void StopWorkerThread(AutoHandle& thread, const AutoHandle& stopEvent) {
  if (!thread) return;
  if (stopEvent) SetEvent(stopEvent.get());
  if (WaitForSingleObject(thread.get(), kWorkerStopTimeoutMs) != WAIT_OBJECT_0) TerminateThread(thread.get(), 0);
  thread.reset();
}

void StopLoaderThread(SlideshowSession& session) { StopWorkerThread(session.loaderThread, session.stopLoaderEvent); }
