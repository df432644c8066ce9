#pragma once

#include "platform/foundation/NSRunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// Fast-forward and rewind for players that have no such command: while the
// button is held, a relative seek every quarter second, the first of two
// seconds and each one a second longer than the one before, up to ten.
// Runs on the main run loop.
class MprisSeekStepper : public std::enable_shared_from_this<MprisSeekStepper> {
public:
    enum class Direction { Forward, Backward };
    using SeekHandler = std::function<void(std::int64_t offsetMicroseconds)>;

    static constexpr double kInterval = 0.25;
    static constexpr double kFirstStep = 2.0;
    static constexpr double kStepGrowth = 1.0;
    static constexpr double kLargestStep = 10.0;
    // A hold whose end never arrives (the press was cancelled) stops by
    // itself after a minute rather than skipping through the queue forever.
    static constexpr int kMaximumSteps = 240;

    static std::shared_ptr<MprisSeekStepper> create(SeekHandler seek);
    ~MprisSeekStepper();
    MprisSeekStepper(const MprisSeekStepper&) = delete;
    MprisSeekStepper& operator=(const MprisSeekStepper&) = delete;

    // Seeks at once, then every interval. Beginning the other direction
    // turns round and starts again from the first step.
    void begin(Direction direction);
    // Stops only the direction named: an end of rewind does not stop a
    // fast-forward.
    void end(Direction direction);
    void stop();

    std::optional<Direction> direction() const { return m_direction; }
    int stepsTaken() const { return m_steps; }
    // The length in seconds of the step with this index (0 for the first).
    static double stepSeconds(int index);

protected:
    explicit MprisSeekStepper(SeekHandler seek);

private:
    void step();
    void cancelTimer();

    SeekHandler m_seek;
    std::optional<Direction> m_direction;
    int m_steps = 0;
    NSRunLoop::Token m_timer = 0;
};
