#include "platform/mediaremote/NowPlayingSource.h"

void NowPlayingSource::setChangeHandler(ChangeHandler handler) {
    std::lock_guard lock(m_handlerMutex);
    m_handler = std::move(handler);
}

void NowPlayingSource::reportChange(Change change) const {
    // Called outside the lock, so a handler may come back to the source.
    ChangeHandler handler;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_handler;
    }
    if (handler)
        handler(change);
}
