#include "apps/saver/TerminationSignals.h"

#include <csignal>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
sigset_t terminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}
} // namespace

TerminationSignals::TerminationSignals() {
    sigset_t set = terminationSet();
    // A signal that came before the descriptor exists stays pending, and
    // the descriptor reads it.
    sigprocmask(SIG_BLOCK, &set, nullptr);
    m_fd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    // Without the descriptor the signals keep their usual effect: ended
    // abruptly is better than never.
    if (m_fd < 0)
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (m_watch)
        NSRunLoop::mainRunLoop().unwatch(m_watch);
    if (m_fd >= 0)
        close(m_fd);
}

void TerminationSignals::watch(std::function<void()> received) {
    if (m_fd < 0 || m_watch)
        return;
    m_watch = NSRunLoop::mainRunLoop().watch(
        m_fd, POLLIN, [fd = m_fd, received = std::move(received)](short) {
            signalfd_siginfo info;
            bool any = false;
            while (read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
                any = true;
            if (any)
                received();
        });
}
