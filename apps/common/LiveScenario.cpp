#include "apps/common/LiveScenario.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

LiveScenario::LiveScenario(Scenario& scenario, int fd, std::string name, FailureHandler onFailure,
                           FinishedHandler onFinished)
    : m_scenario(scenario), m_fd(fd), m_name(std::move(name)), m_onFailure(std::move(onFailure)),
      m_onFinished(std::move(onFinished)) {
    // Reads never block the run loop: whatever is there is taken, the rest
    // waits for the next wake-up.
    int flags = fcntl(m_fd, F_GETFL);
    if (flags >= 0)
        fcntl(m_fd, F_SETFL, flags | O_NONBLOCK);
    m_watch = NSRunLoop::mainRunLoop().watch(m_fd, POLLIN, [this](short) { readAvailable(); });
}

LiveScenario::~LiveScenario() {
    if (m_watch)
        NSRunLoop::mainRunLoop().unwatch(m_watch);
}

void LiveScenario::readAvailable() {
    // A line may run the loop itself ("wait 2"); the descriptor is not
    // watched meanwhile, so the loop neither re-enters this reader nor spins
    // on input that is waiting its turn.
    NSRunLoop::mainRunLoop().unwatch(m_watch);
    m_watch = 0;
    readLines();
    if (!m_finished)
        m_watch = NSRunLoop::mainRunLoop().watch(m_fd, POLLIN, [this](short) { readAvailable(); });
}

void LiveScenario::readLines() {
    char chunk[4096];
    for (;;) {
        ssize_t count = read(m_fd, chunk, sizeof chunk);
        if (count > 0) {
            m_buffer.append(chunk, static_cast<size_t>(count));
            runCompleteLines();
            if (m_finished)
                return;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of input (or an error that ends it): a last line without its
        // newline still runs.
        if (!m_buffer.empty() && !m_discardingLongLine) {
            m_buffer.push_back('\n');
            runCompleteLines();
        }
        finish();
        return;
    }
}

void LiveScenario::runCompleteLines() {
    size_t start = 0;
    for (;;) {
        size_t end = m_buffer.find('\n', start);
        if (end == std::string::npos)
            break;
        std::string line = m_buffer.substr(start, end - start);
        start = end + 1;
        ++m_lineNumber;
        if (m_discardingLongLine) {
            m_discardingLongLine = false;
            continue;
        }
        if (auto failure = m_scenario.runLine(line, m_lineNumber, m_name))
            m_onFailure(*failure);
        if (m_finished)
            return;
    }
    m_buffer.erase(0, start);
    if (m_discardingLongLine) {
        m_buffer.clear();
    } else if (m_buffer.size() > Scenario::kMaximumLineLength) {
        // Dropped whole rather than buffered forever; the session goes on.
        m_onFailure(m_name + ":" + std::to_string(m_lineNumber + 1) + ": line too long, dropped");
        m_buffer.clear();
        m_discardingLongLine = true;
    }
}

void LiveScenario::finish() {
    if (m_finished)
        return;
    m_finished = true;
    if (m_watch)
        NSRunLoop::mainRunLoop().unwatch(m_watch);
    m_watch = 0;
    if (m_onFinished)
        m_onFinished();
}
