#pragma once

#include "platform/foundation/NSRunLoop.h"

#include <csignal>
#include <functional>

// SIGINT and SIGTERM as events of the main run loop for a desktop window:
// the handler writes a byte to a pipe the loop watches, so the loop wakes
// for the signal as it does for a key, and the window closes the way it
// would for any other reason. The handlers that were there come back when it
// goes. One at a time in a process.
class QuitSignals {
public:
    explicit QuitSignals(std::function<void()> received);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    NSRunLoop::Token m_watch = 0;
    struct sigaction m_previousInterrupt {};
    struct sigaction m_previousTerminate {};
    bool m_installed = false;
};
