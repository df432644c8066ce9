#pragma once

#include "platform/corefoundation/Clock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The main run loop of the process: scheduled work (timers, delayed
// performs), the main dispatch queue, file-descriptor watches, and the work
// in flight on the global queue, all against one clock.
//
// With a manual clock, runFor(span) fires everything due in the span in time
// order, drains the main queue between events and waits for background work
// before moving on, so results never depend on the machine's speed.
class NSRunLoop {
public:
    using Token = std::uint64_t;
    using Work = std::function<void()>;

    static NSRunLoop& mainRunLoop();
    static bool isMainThread();

    void setClock(std::shared_ptr<Clock> clock);
    std::shared_ptr<Clock> clock() const;
    CFAbsoluteTime now() const;
    // The manual clock when one is in use, else nothing.
    std::shared_ptr<ManualClock> manualClock() const;

    // Runs the work once at the given time (or as soon as possible after it).
    Token schedule(CFAbsoluteTime when, Work work);
    void cancel(Token token);
    bool isScheduled(Token token) const;
    size_t scheduledCount() const;

    // The main queue: safe to call from any thread.
    void enqueue(Work work);

    // Calls back on the main thread whenever the descriptor is ready for the
    // events (poll(2) flags).
    Token watch(int fd, short events, std::function<void(short revents)> callback);
    void unwatch(Token token);

    // Runs the work each time the loop is about to sleep on the system clock,
    // after everything due has run: a window draws what changed there, once,
    // however many events led to it.
    Token addBeforeWaitingObserver(Work work);
    void removeBeforeWaitingObserver(Token token);

    // Background work in flight, counted so the manual clock can wait for it.
    void backgroundWorkStarted();
    void backgroundWorkFinished();

    // Runs for a span of the clock's time.
    void runFor(CFTimeInterval seconds);
    // Runs what is due now and what the main queue holds, and waits for
    // background work, without moving a manual clock.
    void runUntilIdle();
    // Runs until stop() (system clock), polling descriptors in between.
    void run();
    void stop();

    NSRunLoop(const NSRunLoop&) = delete;
    NSRunLoop& operator=(const NSRunLoop&) = delete;
    ~NSRunLoop();

private:
    NSRunLoop();

    struct Scheduled {
        CFAbsoluteTime when;
        Token token;
        Work work;
    };
    struct Watch {
        int fd;
        short events;
        std::function<void(short)> callback;
    };

    bool drainMainQueue();
    void waitForBackgroundWork();
    void settle();
    bool fireNextDue(CFAbsoluteTime limit);
    bool pollDescriptors(int timeoutMilliseconds);
    void runBeforeWaitingObservers();
    void wake();

    mutable std::mutex m_mutex;
    std::condition_variable m_backgroundDone;
    std::shared_ptr<Clock> m_clock;
    std::map<std::pair<CFAbsoluteTime, Token>, Work> m_scheduled;
    std::map<Token, CFAbsoluteTime> m_scheduledTimes;
    std::deque<Work> m_mainQueue;
    std::map<Token, Watch> m_watches;
    std::map<Token, Work> m_beforeWaiting;
    Token m_nextToken = 1;
    int m_backgroundInFlight = 0;
    std::atomic<bool> m_stopped = false;
    int m_wakePipe[2] = {-1, -1};
    // The thread running the loop on the system clock, if any. Work it adds
    // itself needs no wake-up: the loop looks at its queue and timers again
    // before it sleeps.
    std::atomic<std::thread::id> m_runningThread{};
};
