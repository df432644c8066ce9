#pragma once

#include "platform/foundation/NSRunLoop.h"

#include <functional>

// SIGTERM, SIGINT and SIGHUP as events of the main run loop rather than an
// end in the middle of a frame: a locker ends its saver with SIGTERM, and the
// saver then leaves the way it would for any other reason. Made first thing
// in main, before any thread exists, so every thread inherits the signals
// blocked and none can be interrupted by one.
class TerminationSignals {
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Calls back on the main thread when one of the signals arrives.
    void watch(std::function<void()> received);

private:
    int m_fd = -1;
    NSRunLoop::Token m_watch = 0;
};
