#include "apps/common/QuitSignals.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Written by the handler, so a plain descriptor pair: all a handler may do.
int signalPipe[2] = {-1, -1};

extern "C" void writeSignalByte(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(std::function<void()> received) {
    if (signalPipe[0] >= 0 || pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_watch = NSRunLoop::mainRunLoop().watch(
        signalPipe[0], POLLIN, [received = std::move(received)](short) {
            char buffer[16];
            bool any = false;
            while (read(signalPipe[0], buffer, sizeof buffer) > 0)
                any = true;
            if (any)
                received();
        });
    struct sigaction action {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &m_previousInterrupt);
    sigaction(SIGTERM, &action, &m_previousTerminate);
    m_installed = true;
}

QuitSignals::~QuitSignals() {
    if (!m_installed)
        return;
    sigaction(SIGINT, &m_previousInterrupt, nullptr);
    sigaction(SIGTERM, &m_previousTerminate, nullptr);
    NSRunLoop::mainRunLoop().unwatch(m_watch);
    for (int& fd : signalPipe) {
        close(fd);
        fd = -1;
    }
}
