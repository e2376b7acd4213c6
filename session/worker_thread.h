#pragma once
// How the session's worker threads are stopped.

#include <windows.h>

#include "ownership/scoped_handle.h"

// The longest a stop waits for a worker that is not deep in a decode.
constexpr DWORD kRenderStopWaitMs = 2000;

// Both workers stop this way: signal the stop event, wait up to `waitMs`, and
// close the handle. A thread that has not ended is left running, never
// terminated: it may hold a lock inside GDI+, Direct3D or the heap, and
// killing it there would leave them locked or broken. False then; true when
// the thread ended or there was none.
bool StopWorkerThread(AutoHandle& thread, const AutoHandle& stopEvent, DWORD waitMs);
