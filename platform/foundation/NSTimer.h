#pragma once

#include "platform/corefoundation/Clock.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/objc/NSObject.h"

#include <functional>
#include <memory>

enum class Repeats { No, Yes };

// A timer on the main run loop. It holds its target strongly until it is
// invalidated (a one-shot timer invalidates itself after firing). A repeating
// timer that fires late fires once and keeps its cadence: the next firing is
// the next multiple of the interval after now, never a burst to catch up.
class NSTimer : public NSObject {
public:
    using Block = std::function<void(const std::shared_ptr<NSTimer>&)>;

    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(NSTimeInterval interval,
                                                                   id target, SEL selector,
                                                                   id userInfo, Repeats repeats);
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(NSTimeInterval interval,
                                                                   Repeats repeats, Block block);

    void invalidate();
    bool isValid() const { return m_valid; }
    void fire();
    NSTimeInterval timeInterval() const { return m_interval; }
    CFAbsoluteTime fireDate() const { return m_fireDate; }
    bool repeats() const { return m_repeats == Repeats::Yes; }
    const id& userInfo() const { return m_userInfo; }
    id target() const { return m_target; }
    const SEL& selector() const { return m_selector; }

    std::string_view className() const override { return "NSTimer"; }

protected:
    NSTimer(NSTimeInterval interval, Repeats repeats);

private:
    void scheduleNext();
    void timerFired();
    void deliver();

    NSTimeInterval m_interval;
    Repeats m_repeats;
    CFAbsoluteTime m_start = 0;
    double m_periods = 1;
    CFAbsoluteTime m_fireDate = 0;
    id m_target;
    SEL m_selector;
    id m_userInfo;
    Block m_block;
    bool m_valid = true;
    NSRunLoop::Token m_token = 0;
};
