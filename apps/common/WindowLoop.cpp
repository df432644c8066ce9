#include "apps/common/WindowLoop.h"

#include <poll.h>

namespace {

// A frame may bring more events; a few rounds before sleeping are enough.
constexpr int kMaximumRounds = 4;

} // namespace

WindowLoop::~WindowLoop() {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_observer)
        loop.removeBeforeWaitingObserver(m_observer);
    stopWatchingDisplay();
}

void WindowLoop::watchDisplay(int fd) {
    m_displayWatch = NSRunLoop::mainRunLoop().watch(fd, POLLIN, [this](short events) {
        if (events & (POLLHUP | POLLERR | POLLNVAL))
            m_client.loseDisplay();
        else
            m_client.pumpEvents();
    });
}

void WindowLoop::stopWatchingDisplay() {
    if (!m_displayWatch)
        return;
    NSRunLoop::mainRunLoop().unwatch(m_displayWatch);
    m_displayWatch = 0;
}

void WindowLoop::observeBeforeWaiting() {
    m_observer = NSRunLoop::mainRunLoop().addBeforeWaitingObserver([this] { beforeWaiting(); });
}

void WindowLoop::beforeWaiting() {
    if (m_client.isClosed()) {
        // A scenario line that waits restarts the loop; it stops again here.
        NSRunLoop::mainRunLoop().stop();
        return;
    }
    // Drawing can read events off the connection into the display library's
    // queue, where the descriptor no longer shows them: look again after
    // each frame.
    for (int round = 0; round < kMaximumRounds && !m_client.isClosed(); ++round) {
        // What the descriptor announced was pumped when it woke the loop.
        const std::optional<bool> queued = m_client.eventsQueued();
        bool handled = queued.value_or(true) && m_client.pumpEvents();
        if (m_client.isClosed())
            return;
        // While something moves, frames come at the animation's pace: a
        // change the player made on its own (a tick of the ring) waits the
        // few milliseconds to the next one rather than costing a frame of its
        // own. What the person did is shown at once.
        if (!handled && m_client.frameCanWait())
            break;
        bool drew = m_client.drawFrame();
        if (!handled && !drew)
            break;
    }
    // The last frame may have read events into the queue: they must not wait
    // there for whatever wakes the loop next, so it comes round at once.
    if (!m_client.isClosed() && m_client.eventsQueued().value_or(false)) {
        NSRunLoop& loop = NSRunLoop::mainRunLoop();
        loop.schedule(loop.now(), [] {});
    }
}
