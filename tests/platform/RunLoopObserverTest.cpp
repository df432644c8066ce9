#include "platform/foundation/NSRunLoop.h"
#include "support/ManualClockFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

// The observers a window draws from: they run once the loop has done what
// was due and is about to sleep on the real clock, never on the manual one.
namespace {

using RunLoopObserver = ManualClockTest;

TEST_F(RunLoopObserver, ObserversRunOnlyBeforeTheSystemClockSleeps) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    int calls = 0;
    auto token = loop.addBeforeWaitingObserver([&] { ++calls; });
    run(1);
    loop.runUntilIdle();
    EXPECT_EQ(calls, 0) << "a manual clock never sleeps";

    loop.setClock(std::make_shared<SystemClock>());
    std::vector<std::string> order;
    loop.enqueue([&] { order.push_back("queued"); });
    loop.schedule(loop.now() - 1, [&] { order.push_back("due"); });
    auto second = loop.addBeforeWaitingObserver([&] { order.push_back("observer"); });
    // Twenty milliseconds of the real clock: the loop sleeps once at least.
    loop.runFor(0.02);
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], "queued");
    EXPECT_EQ(order[1], "due");
    EXPECT_EQ(order[2], "observer");
    EXPECT_GE(calls, 1);

    loop.removeBeforeWaitingObserver(token);
    loop.removeBeforeWaitingObserver(second);
    int before = calls;
    loop.runFor(0.01);
    EXPECT_EQ(calls, before);
    loop.setClock(m_clock);
}

TEST_F(RunLoopObserver, AnObserverCanStopTheLoopAndRemoveItself) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.setClock(std::make_shared<SystemClock>());
    int calls = 0;
    NSRunLoop::Token token = 0;
    token = loop.addBeforeWaitingObserver([&] {
        ++calls;
        loop.removeBeforeWaitingObserver(token);
        loop.stop();
    });
    // Without the stop this would wait the whole hour.
    loop.run();
    EXPECT_EQ(calls, 1);
    loop.setClock(m_clock);
}

} // namespace
