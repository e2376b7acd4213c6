#include "session/slideshow_session.h"

SlideshowSession slideshowSession;

SlideshowSession::SlideshowSession() = default;
