#include "session/worker_thread.h"

bool StopWorkerThread(AutoHandle& thread, const AutoHandle& stopEvent, DWORD waitMs) {
  if (!thread) return true;
  if (stopEvent) SetEvent(stopEvent.get());
  const bool ended = WaitForSingleObject(thread.get(), waitMs) == WAIT_OBJECT_0;
  thread.reset();  // closing the handle leaves a running thread running
  return ended;
}
