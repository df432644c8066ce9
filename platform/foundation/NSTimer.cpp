#include "platform/foundation/NSTimer.h"

#include "platform/objc/Runtime.h"

#include <algorithm>
#include <cmath>

namespace {
// The platform never fires a timer more often than this.
constexpr NSTimeInterval kMinimumInterval = 0.0001;
// Clock readings carry rounding; a firing within this fraction of a period
// of a grid point counts as on it.
constexpr double kGridTolerance = 1e-6;
} // namespace

NSTimer::NSTimer(NSTimeInterval interval, Repeats repeats)
    : m_interval(std::isfinite(interval) ? std::max(interval, kMinimumInterval) : kMinimumInterval),
      m_repeats(repeats) {}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, id target,
                                                                 SEL selector, id userInfo,
                                                                 Repeats repeats) {
    auto timer = makeObject<NSTimer>(interval, repeats);
    timer->m_target = std::move(target);
    timer->m_selector = std::move(selector);
    timer->m_userInfo = std::move(userInfo);
    timer->m_start = NSRunLoop::mainRunLoop().now();
    timer->m_fireDate = timer->m_start + timer->m_interval;
    timer->scheduleNext();
    return timer;
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval,
                                                                 Repeats repeats, Block block) {
    auto timer = makeObject<NSTimer>(interval, repeats);
    timer->m_block = std::move(block);
    timer->m_start = NSRunLoop::mainRunLoop().now();
    timer->m_fireDate = timer->m_start + timer->m_interval;
    timer->scheduleNext();
    return timer;
}

void NSTimer::scheduleNext() {
    // The run loop keeps the timer alive while it is scheduled.
    auto self = std::static_pointer_cast<NSTimer>(shared_from_this());
    m_token = NSRunLoop::mainRunLoop().schedule(m_fireDate, [self] { self->timerFired(); });
}

void NSTimer::timerFired() {
    if (!m_valid)
        return;
    if (m_repeats == Repeats::Yes) {
        // Firings stay on the grid start + k * interval: the next one is the
        // first grid point after now, however late this one was.
        CFAbsoluteTime now = NSRunLoop::mainRunLoop().now();
        double elapsedPeriods = (now - m_start) / m_interval;
        double next = std::floor(elapsedPeriods + kGridTolerance) + 1.0;
        m_periods = std::max(m_periods + 1.0, next);
        m_fireDate = m_start + m_periods * m_interval;
        scheduleNext();
    }
    deliver();
}

void NSTimer::fire() {
    if (m_valid)
        deliver();
}

void NSTimer::deliver() {
    // Keep the timer, its target and its block alive through the call, even
    // when the call invalidates the timer.
    auto self = std::static_pointer_cast<NSTimer>(shared_from_this());
    id target = m_target;
    Block block = m_block;
    if (m_repeats == Repeats::No)
        invalidate();
    if (block)
        block(self);
    else
        objc_sendAction(target, m_selector, self);
}

void NSTimer::invalidate() {
    if (!m_valid)
        return;
    m_valid = false;
    NSRunLoop::mainRunLoop().cancel(m_token);
    m_target.reset();
    m_userInfo.reset();
    m_block = nullptr;
}
