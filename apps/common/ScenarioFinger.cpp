#include "apps/common/ScenarioFinger.h"

#include "platform/foundation/NSRunLoop.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Fingers are sampled at the display's rate while they move.
constexpr double kTouchSampleInterval = 1.0 / 60.0;

} // namespace

std::optional<ScenarioDrag> ScenarioDrag::parse(const Scenario::Line& line, std::string* error) {
    auto from = parseScenarioPoint(line, 0);
    auto to = parseScenarioPoint(line, 2);
    if (line.arguments.size() != 5) {
        *error = "a drag is X1 Y1 X2 Y2 SECONDS";
        return std::nullopt;
    }
    std::string durationError;
    auto seconds = parseScenarioTouchDuration(line.arguments[4], &durationError);
    if (!from || !to) {
        *error = "bad coordinates";
        return std::nullopt;
    }
    if (!seconds) {
        *error = durationError;
        return std::nullopt;
    }
    return ScenarioDrag{*from, *to, *seconds};
}

ScenarioFinger::ScenarioFinger(Phase down, Phase move, Phase up)
    : m_down(std::move(down)), m_move(std::move(move)), m_up(std::move(up)) {}

void ScenarioFinger::press(NSRunLoop& loop, CGPoint point, double seconds) const {
    m_down(point);
    loop.runFor(seconds);
    m_up(point);
}

void ScenarioFinger::drag(NSRunLoop& loop, const ScenarioDrag& drag) const {
    int steps = std::max(1, static_cast<int>(std::ceil(drag.seconds / kTouchSampleInterval)));
    m_down(drag.from);
    for (int i = 1; i <= steps; ++i) {
        loop.runFor(drag.seconds / steps);
        double t = static_cast<double>(i) / steps;
        m_move({drag.from.x + (drag.to.x - drag.from.x) * t,
                drag.from.y + (drag.to.y - drag.from.y) * t});
    }
    m_up(drag.to);
}
