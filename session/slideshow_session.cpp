#include "session/slideshow_session.h"

#include <memory>

#include "session/show_library.h"

// Never destroyed: a worker left running when the foreign host's window
// went may still be drawing on it while the process's destructors run.
SlideshowSession& slideshowSession = *std::make_unique<SlideshowSession>().release();

SlideshowSession::SlideshowSession() = default;
SlideshowSession::~SlideshowSession() = default;
