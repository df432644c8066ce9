#include "platform/dispatch/Dispatch.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSObjectPerform.h"
#include "platform/foundation/NSTimer.h"
#include "platform/objc/Runtime.h"
#include "support/ManualClockFixture.h"

#include <atomic>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using RunLoop = ManualClockTest;

class Counter : public NSObject {
public:
    static std::shared_ptr<Counter> create() { return makeObject<Counter>(); }
    std::string_view className() const override { return "RunLoopTestCounter"; }
    void tick(id) { times.push_back(NSRunLoop::mainRunLoop().now()); }
    void poke() { ++pokes; }
    std::vector<CFAbsoluteTime> times;
    int pokes = 0;

protected:
    Counter() = default;
};

Class counterClass() {
    static Class cls = [] {
        Class registered = objc_registerClass("RunLoopTestCounter");
        class_addMethod(registered, "tick:", &Counter::tick);
        class_addMethod(registered, "poke", &Counter::poke);
        return registered;
    }();
    return cls;
}

TEST_F(RunLoop, TimersFireInTimeOrderAndTiesInScheduleOrder) {
    std::vector<int> order;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.schedule(now() + 0.3, [&] { order.push_back(3); });
    loop.schedule(now() + 0.1, [&] { order.push_back(1); });
    loop.schedule(now() + 0.2, [&] { order.push_back(2); });
    loop.schedule(now() + 0.2, [&] { order.push_back(22); });
    run(0.25);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 22}));
    run(0.05);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 22, 3}));
}

TEST_F(RunLoop, WorkSeesTheTimeItWasDueAt) {
    CFAbsoluteTime start = now();
    CFAbsoluteTime seen = 0;
    NSRunLoop::mainRunLoop().schedule(start + 1.5, [&] { seen = CFAbsoluteTimeGetCurrent(); });
    run(10);
    EXPECT_DOUBLE_EQ(seen, start + 1.5);
    EXPECT_DOUBLE_EQ(now(), start + 10);
}

TEST_F(RunLoop, RepeatingTimerKeepsItsCadence) {
    counterClass();
    auto counter = Counter::create();
    CFAbsoluteTime start = now();
    auto timer =
        NSTimer::scheduledTimerWithTimeInterval(0.1, counter, "tick:", nullptr, Repeats::Yes);
    run(0.55);
    ASSERT_EQ(counter->times.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(counter->times[i], start + 0.1 * (i + 1));
    timer->invalidate();
    run(1);
    EXPECT_EQ(counter->times.size(), 5u);
}

TEST_F(RunLoop, LateRepeatingTimerFiresOnceThenKeepsCadence) {
    counterClass();
    auto counter = Counter::create();
    CFAbsoluteTime start = now();
    auto timer =
        NSTimer::scheduledTimerWithTimeInterval(0.1, counter, "tick:", nullptr, Repeats::Yes);
    // Something on the main thread holds the loop for 0.35 s.
    NSRunLoop::mainRunLoop().schedule(start + 0.05, [&] { m_clock->advanceTo(start + 0.4); });
    run(0.45);
    ASSERT_EQ(counter->times.size(), 1u);
    EXPECT_DOUBLE_EQ(counter->times[0], start + 0.4);
    run(0.1);
    // The next firing is on the original grid, at 0.5.
    ASSERT_EQ(counter->times.size(), 2u);
    EXPECT_DOUBLE_EQ(counter->times[1], start + 0.5);
    timer->invalidate();
}

TEST_F(RunLoop, TimerHoldsItsTargetUntilInvalidated) {
    counterClass();
    auto counter = Counter::create();
    std::weak_ptr<Counter> weak = counter;
    auto timer =
        NSTimer::scheduledTimerWithTimeInterval(0.1, counter, "tick:", nullptr, Repeats::Yes);
    counter.reset();
    EXPECT_FALSE(weak.expired());
    timer->invalidate();
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoop, OneShotTimerInvalidatesItselfAndReleasesItsTarget) {
    counterClass();
    auto counter = Counter::create();
    std::weak_ptr<Counter> weak = counter;
    auto timer =
        NSTimer::scheduledTimerWithTimeInterval(1.5, counter, "poke", nullptr, Repeats::No);
    counter.reset();
    run(1.49);
    EXPECT_TRUE(timer->isValid());
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(weak.lock()->pokes, 0);
    run(0.01);
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(weak.expired());
}

TEST_F(RunLoop, TimerInvalidatedFromItsOwnCallbackStops) {
    int fired = 0;
    std::shared_ptr<NSTimer> timer = NSTimer::scheduledTimerWithTimeInterval(
        0.1, Repeats::Yes, [&](const std::shared_ptr<NSTimer>& self) {
            if (++fired == 3)
                self->invalidate();
        });
    run(1);
    EXPECT_EQ(fired, 3);
}

TEST_F(RunLoop, DelayedPerformRunsOnceAtItsTime) {
    counterClass();
    auto counter = Counter::create();
    performSelectorAfterDelay(counter, "poke", nullptr, 0.2);
    run(0.19);
    EXPECT_EQ(counter->pokes, 0);
    run(0.01);
    EXPECT_EQ(counter->pokes, 1);
    run(1);
    EXPECT_EQ(counter->pokes, 1);
}

TEST_F(RunLoop, MainQueueTakesWorkFromOtherThreadsAndRunsItOnTheMainThread) {
    std::atomic<int> ranOnMain = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int j = 0; j < 50; ++j)
                dispatch_async(dispatch_get_main_queue(), [&] {
                    if (NSRunLoop::isMainThread())
                        ++ranOnMain;
                });
        });
    }
    for (auto& thread : threads)
        thread.join();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(ranOnMain.load(), 200);
}

TEST_F(RunLoop, ManualClockWaitsForBackgroundWorkAndItsReply) {
    std::vector<std::string> events;
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [&] {
        std::this_thread::yield();
        dispatch_async(dispatch_get_main_queue(), [&] { events.push_back("reply"); });
    });
    NSRunLoop::mainRunLoop().schedule(now() + 0.1, [&] { events.push_back("timer"); });
    run(0.2);
    // The background reply lands before time moves on to the timer.
    EXPECT_EQ(events, (std::vector<std::string>{"reply", "timer"}));
}

TEST_F(RunLoop, DispatchOnceRunsOnceUnderConcurrentCalls) {
    static dispatch_once_t once;
    std::atomic<int> runs = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] { dispatch_once(&once, [&] { ++runs; }); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(RunLoop, DatesComeFromTheRunLoopClock) {
    auto date = NSDate::date();
    EXPECT_DOUBLE_EQ(date->timeIntervalSinceReferenceDate(), now());
    EXPECT_LT(NSDate::distantPast()->timeIntervalSinceReferenceDate(), -6e10);
    EXPECT_DOUBLE_EQ(date->dateByAddingTimeInterval(1)->timeIntervalSinceDate(*date), 1);
}

TEST_F(RunLoop, DescriptorWatchCallsBackOnTheLoop) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    short seen = 0;
    auto token = NSRunLoop::mainRunLoop().watch(fds[0], POLLIN, [&](short revents) {
        seen = revents;
        char byte;
        [[maybe_unused]] auto got = read(fds[0], &byte, 1);
    });
    [[maybe_unused]] auto written = write(fds[1], "x", 1);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(seen & POLLIN);
    NSRunLoop::mainRunLoop().unwatch(token);
    close(fds[0]);
    close(fds[1]);
}

// A clock that runs on by itself, like the machine's, but under the test's
// control: each timer firing below costs more time than the timer's interval,
// as a slow draw on a loaded machine does.
class RunningClock final : public Clock {
public:
    CFAbsoluteTime now() const override { return m_now.load(); }
    bool isManual() const override { return false; }
    void spend(CFTimeInterval seconds) { m_now = m_now.load() + seconds; }

private:
    std::atomic<CFAbsoluteTime> m_now{1000.0};
};

TEST_F(RunLoop, ATimerSlowerThanItsIntervalLetsTheLoopGoOn) {
    auto clock = std::make_shared<RunningClock>();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.setClock(clock);
    int firings = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.01, Repeats::Yes,
                                                         [&](const std::shared_ptr<NSTimer>&) {
                                                             ++firings;
                                                             clock->spend(0.05);
                                                         });
    clock->spend(0.01);
    // Always due again by the time it returns, yet the loop is idle after
    // what was due when it was asked.
    loop.runUntilIdle();
    EXPECT_EQ(firings, 1);

    // And between firings the loop still reads its descriptors.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    bool served = false;
    auto token = loop.watch(fds[0], POLLIN, [&](short) {
        char byte;
        [[maybe_unused]] auto got = read(fds[0], &byte, 1);
        served = true;
        loop.stop();
    });
    [[maybe_unused]] auto written = write(fds[1], "x", 1);
    loop.runFor(3600);
    EXPECT_TRUE(served);
    EXPECT_LT(firings, 10);
    timer->invalidate();
    loop.unwatch(token);
    close(fds[0]);
    close(fds[1]);
    loop.setClock(m_clock);
}

} // namespace
