#pragma once

#include <atomic>
#include <memory>

// Seconds since 2001-01-01 00:00:00 UTC, the platform's reference date.
using CFAbsoluteTime = double;
using CFTimeInterval = double;
using NSTimeInterval = double;

// Where the run loop reads the time: the machine's clock for people, a manual
// one for tests and scenarios, which moves only when the run loop is told to
// run for a span.
class Clock {
public:
    virtual ~Clock() = default;
    virtual CFAbsoluteTime now() const = 0;
    virtual bool isManual() const = 0;
};

class SystemClock final : public Clock {
public:
    CFAbsoluteTime now() const override;
    bool isManual() const override { return false; }
};

class ManualClock final : public Clock {
public:
    // Starts at a fixed, ordinary date so runs are repeatable.
    static constexpr CFAbsoluteTime kDefaultStart = 786'000'000.0;

    explicit ManualClock(CFAbsoluteTime start = kDefaultStart) : m_now(start) {}
    CFAbsoluteTime now() const override { return m_now.load(); }
    bool isManual() const override { return true; }
    // Time never runs backwards: a set to an earlier moment is ignored.
    void advanceTo(CFAbsoluteTime time);

private:
    std::atomic<CFAbsoluteTime> m_now;
};
