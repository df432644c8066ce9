#include "platform/foundation/NSRunLoop.h"

#include "platform/corefoundation/CFRunLoop.h"

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
std::thread::id& mainThreadId() {
    static std::thread::id id = std::this_thread::get_id();
    return id;
}

// Core Foundation's side of the main loop. It asks for the loop on each use
// rather than at load, so the thread that first uses the loop stays the main
// thread, whichever layer that use comes from.
class MainRunLoopForCoreFoundation final : public CFRunLoop {
public:
    void performBlock(Block block) override { NSRunLoop::mainRunLoop().enqueue(std::move(block)); }
    CFAbsoluteTime currentTime() const override { return NSRunLoop::mainRunLoop().now(); }
};

const bool installedForCoreFoundation = [] {
    static MainRunLoopForCoreFoundation loop;
    CFRunLoop::setMain(&loop);
    return true;
}();
} // namespace

NSRunLoop& NSRunLoop::mainRunLoop() {
    // The thread that first asks for the main run loop is the main thread.
    static NSRunLoop* loop = [] {
        mainThreadId();
        static NSRunLoop instance;
        return &instance;
    }();
    return *loop;
}

bool NSRunLoop::isMainThread() {
    mainRunLoop();
    return std::this_thread::get_id() == mainThreadId();
}

NSRunLoop::NSRunLoop() : m_clock(std::make_shared<SystemClock>()) {
    if (pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wakePipe[0] = m_wakePipe[1] = -1;
}

NSRunLoop::~NSRunLoop() {
    for (int fd : m_wakePipe) {
        if (fd >= 0)
            close(fd);
    }
}

void NSRunLoop::setClock(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(m_mutex);
    m_clock = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

std::shared_ptr<Clock> NSRunLoop::clock() const {
    std::lock_guard lock(m_mutex);
    return m_clock;
}

CFAbsoluteTime NSRunLoop::now() const {
    return clock()->now();
}

std::shared_ptr<ManualClock> NSRunLoop::manualClock() const {
    return std::dynamic_pointer_cast<ManualClock>(clock());
}

NSRunLoop::Token NSRunLoop::schedule(CFAbsoluteTime when, Work work) {
    if (!std::isfinite(when))
        when = std::isnan(when) || when > 0 ? HUGE_VAL : -HUGE_VAL;
    Token token;
    {
        std::lock_guard lock(m_mutex);
        token = m_nextToken++;
        m_scheduled.emplace(std::make_pair(when, token), std::move(work));
        m_scheduledTimes.emplace(token, when);
    }
    wake();
    return token;
}

void NSRunLoop::cancel(Token token) {
    std::lock_guard lock(m_mutex);
    auto found = m_scheduledTimes.find(token);
    if (found == m_scheduledTimes.end())
        return;
    m_scheduled.erase({found->second, token});
    m_scheduledTimes.erase(found);
}

bool NSRunLoop::isScheduled(Token token) const {
    std::lock_guard lock(m_mutex);
    return m_scheduledTimes.count(token) != 0;
}

size_t NSRunLoop::scheduledCount() const {
    std::lock_guard lock(m_mutex);
    return m_scheduled.size();
}

void NSRunLoop::enqueue(Work work) {
    {
        std::lock_guard lock(m_mutex);
        m_mainQueue.push_back(std::move(work));
    }
    wake();
}

NSRunLoop::Token NSRunLoop::watch(int fd, short events, std::function<void(short)> callback) {
    std::lock_guard lock(m_mutex);
    Token token = m_nextToken++;
    m_watches.emplace(token, Watch{fd, events, std::move(callback)});
    return token;
}

void NSRunLoop::unwatch(Token token) {
    std::lock_guard lock(m_mutex);
    m_watches.erase(token);
}

NSRunLoop::Token NSRunLoop::addBeforeWaitingObserver(Work work) {
    std::lock_guard lock(m_mutex);
    Token token = m_nextToken++;
    m_beforeWaiting.emplace(token, std::move(work));
    return token;
}

void NSRunLoop::removeBeforeWaitingObserver(Token token) {
    std::lock_guard lock(m_mutex);
    m_beforeWaiting.erase(token);
}

void NSRunLoop::runBeforeWaitingObservers() {
    std::vector<Token> tokens;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& entry : m_beforeWaiting)
            tokens.push_back(entry.first);
    }
    // An observer may remove itself or another one while they run.
    for (Token token : tokens) {
        Work work;
        {
            std::lock_guard lock(m_mutex);
            auto found = m_beforeWaiting.find(token);
            if (found == m_beforeWaiting.end())
                continue;
            work = found->second;
        }
        work();
    }
}

void NSRunLoop::backgroundWorkStarted() {
    std::lock_guard lock(m_mutex);
    ++m_backgroundInFlight;
}

void NSRunLoop::backgroundWorkFinished() {
    {
        std::lock_guard lock(m_mutex);
        --m_backgroundInFlight;
    }
    m_backgroundDone.notify_all();
    wake();
}

void NSRunLoop::wake() {
    if (std::this_thread::get_id() == m_runningThread.load(std::memory_order_relaxed))
        return;
    if (m_wakePipe[1] >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t written = write(m_wakePipe[1], &byte, 1);
    }
}

bool NSRunLoop::drainMainQueue() {
    bool ranAny = false;
    for (;;) {
        Work work;
        {
            std::lock_guard lock(m_mutex);
            if (m_mainQueue.empty())
                return ranAny;
            work = std::move(m_mainQueue.front());
            m_mainQueue.pop_front();
        }
        work();
        ranAny = true;
    }
}

void NSRunLoop::waitForBackgroundWork() {
    std::unique_lock lock(m_mutex);
    m_backgroundDone.wait(lock, [this] { return m_backgroundInFlight == 0; });
}

void NSRunLoop::settle() {
    // Background work may hand results to the main queue, and main-queue work
    // may start more background work: go round until both are quiet.
    for (;;) {
        bool ranAny = drainMainQueue();
        ranAny |= pollDescriptors(0);
        bool busy;
        bool queued;
        {
            std::lock_guard lock(m_mutex);
            busy = m_backgroundInFlight > 0;
            // Work that finished since the queue was drained may have left a
            // reply in it: background work enqueues before it counts itself
            // done, so with nothing in flight the queue holds all it will.
            queued = !m_mainQueue.empty();
        }
        if (busy) {
            waitForBackgroundWork();
            continue;
        }
        if (!ranAny && !queued)
            return;
    }
}

bool NSRunLoop::fireNextDue(CFAbsoluteTime limit) {
    Work work;
    {
        std::lock_guard lock(m_mutex);
        if (m_scheduled.empty())
            return false;
        auto first = m_scheduled.begin();
        if (first->first.first > limit)
            return false;
        if (auto manual = std::dynamic_pointer_cast<ManualClock>(m_clock))
            manual->advanceTo(first->first.first);
        work = std::move(first->second);
        m_scheduledTimes.erase(first->first.second);
        m_scheduled.erase(first);
    }
    work();
    return true;
}

bool NSRunLoop::pollDescriptors(int timeoutMilliseconds) {
    std::vector<pollfd> fds;
    std::vector<Token> tokens;
    if (m_wakePipe[0] >= 0) {
        fds.push_back({m_wakePipe[0], POLLIN, 0});
        tokens.push_back(0);
    }
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [token, watch] : m_watches) {
            fds.push_back({watch.fd, watch.events, 0});
            tokens.push_back(token);
        }
    }
    if (fds.empty())
        return false;
    int ready = poll(fds.data(), fds.size(), timeoutMilliseconds);
    if (ready <= 0)
        return false;
    bool ranAny = false;
    for (size_t i = 0; i < fds.size(); ++i) {
        if (!fds[i].revents)
            continue;
        if (tokens[i] == 0) {
            char buffer[64];
            while (read(m_wakePipe[0], buffer, sizeof buffer) > 0) {
            }
            continue;
        }
        std::function<void(short)> callback;
        {
            std::lock_guard lock(m_mutex);
            auto found = m_watches.find(tokens[i]);
            if (found == m_watches.end())
                continue;
            callback = found->second.callback;
        }
        callback(fds[i].revents);
        ranAny = true;
    }
    return ranAny;
}

void NSRunLoop::runUntilIdle() {
    settle();
    // What is due now, not what comes due while it runs: on the system clock
    // a repeating timer slower to run than its interval would never let go.
    const CFAbsoluteTime start = now();
    while (fireNextDue(start))
        settle();
}

void NSRunLoop::runFor(CFTimeInterval seconds) {
    std::shared_ptr<Clock> current = clock();
    CFAbsoluteTime end = current->now() + std::max(0.0, seconds);
    if (auto manual = std::dynamic_pointer_cast<ManualClock>(current)) {
        settle();
        while (fireNextDue(end))
            settle();
        manual->advanceTo(end);
        settle();
        return;
    }
    m_stopped = false;
    // Restores the running thread of an enclosing run when a nested one ends.
    struct Running {
        std::atomic<std::thread::id>& thread;
        std::thread::id previous = thread.exchange(std::this_thread::get_id());
        ~Running() { thread.store(previous); }
    } running{m_runningThread};
    for (;;) {
        settle();
        // Only what was due when this pass began fires in it: timers that
        // come due again while it runs (a slow machine, a long draw) wait for
        // the next pass, so descriptors are still served in between.
        const CFAbsoluteTime passStart = current->now();
        while (fireNextDue(passStart))
            settle();
        CFAbsoluteTime now = current->now();
        if (now >= end || m_stopped)
            return;
        runBeforeWaitingObservers();
        now = current->now();
        if (now >= end || m_stopped)
            return;
        CFAbsoluteTime wakeAt = end;
        {
            std::lock_guard lock(m_mutex);
            if (!m_scheduled.empty())
                wakeAt = std::min(wakeAt, m_scheduled.begin()->first.first);
        }
        double waitMilliseconds = std::ceil((wakeAt - now) * 1000.0);
        {
            // What the observers queued or stopped runs before any sleep.
            std::lock_guard lock(m_mutex);
            if (!m_mainQueue.empty() || m_stopped)
                waitMilliseconds = 0;
        }
        pollDescriptors(static_cast<int>(std::clamp(waitMilliseconds, 0.0, 1000.0)));
    }
}

void NSRunLoop::run() {
    m_stopped = false;
    while (!m_stopped)
        runFor(3600.0);
}

void NSRunLoop::stop() {
    m_stopped = true;
    wake();
}
