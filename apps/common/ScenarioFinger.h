#pragma once

#include "apps/common/Scenario.h"
#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <optional>
#include <string>

class NSRunLoop;

// A drag as "drag X1 Y1 X2 Y2 SECONDS" gives it.
struct ScenarioDrag {
    CGPoint from{};
    CGPoint to{};
    double seconds = 0;

    // The line's drag; nothing, with the reason in error, when its points or
    // its duration are not ones.
    static std::optional<ScenarioDrag> parse(const Scenario::Line& line, std::string* error);
};

// The finger a host's scenario commands put on its screen. Each host says
// what its finger touches; how long a tap lasts and how a drag moves over
// time are the same everywhere.
class ScenarioFinger {
public:
    using Phase = std::function<void(CGPoint)>;

    // A tap lasts as long as a person's.
    static constexpr double kTapDuration = 0.05;

    ScenarioFinger(Phase down, Phase move, Phase up);

    // Down at the point while the clock runs for the seconds, then up: a tap
    // or a hold.
    void press(NSRunLoop& loop, CGPoint point, double seconds) const;
    // Down at the start, moved at the display's rate while the clock runs,
    // and up at the end.
    void drag(NSRunLoop& loop, const ScenarioDrag& drag) const;

private:
    Phase m_down;
    Phase m_move;
    Phase m_up;
};
