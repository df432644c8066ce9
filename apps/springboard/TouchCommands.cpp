#include "apps/springboard/TouchCommands.h"

#include "apps/common/ScenarioFinger.h"
#include "apps/springboard/SpringBoardHost.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIWindow.h"

#include <utility>

namespace {

// A finger that goes down wakes the screen first; whatever the gesture set
// off runs before the next line.
template <class Gesture>
std::optional<std::string> touch(SpringBoardHost& host, Gesture gesture) {
    host.noteUserTouch();
    gesture();
    NSRunLoop::mainRunLoop().runUntilIdle();
    return std::nullopt;
}

} // namespace

void registerTouchCommands(Scenario& scenario, SpringBoardHost& host) {
    using Result = std::optional<std::string>;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    // Taps and drags touch whatever window the lock screen shows at the time.
    ScenarioFinger finger{[&host](CGPoint point) { host.window()->touchDown(point); },
                          [&host](CGPoint point) { host.window()->touchMove(point); },
                          [&host](CGPoint point) { host.window()->touchUp(point); }};

    scenario.addCommand("down", {"down X Y", 2, 2, [&host](const Scenario::Line& line) -> Result {
                                     auto point = parseScenarioPoint(line, 0);
                                     if (!point)
                                         return "bad coordinates";
                                     return touch(host, [&] { host.window()->touchDown(*point); });
                                 }});
    // Moving and lifting need a finger that is down.
    using Phase = void (UIWindow::*)(CGPoint);
    for (auto [name, phase] : {std::pair<std::string, Phase>{"move", &UIWindow::touchMove},
                               std::pair<std::string, Phase>{"up", &UIWindow::touchUp}}) {
        scenario.addCommand(name,
                            {name + " X Y", 2, 2,
                             [&host, phase = phase, &loop](const Scenario::Line& line) -> Result {
                                 auto point = parseScenarioPoint(line, 0);
                                 if (!point)
                                     return "bad coordinates";
                                 host.boot();
                                 if (!host.window()->hasActiveTouch())
                                     return "no finger is down";
                                 ((*host.window()).*phase)(*point);
                                 loop.runUntilIdle();
                                 return std::nullopt;
                             }});
    }
    scenario.addCommand(
        "tap", {"tap X Y", 2, 2, [&host, finger, &loop](const Scenario::Line& line) -> Result {
                    auto point = parseScenarioPoint(line, 0);
                    if (!point)
                        return "bad coordinates";
                    return touch(host,
                                 [&] { finger.press(loop, *point, ScenarioFinger::kTapDuration); });
                }});
    scenario.addCommand(
        "hold",
        {"hold X Y SECONDS", 3, 3, [&host, finger, &loop](const Scenario::Line& line) -> Result {
             auto point = parseScenarioPoint(line, 0);
             std::string error;
             auto seconds = parseScenarioTouchDuration(line.arguments[2], &error);
             if (!point)
                 return "bad coordinates";
             if (!seconds)
                 return error;
             return touch(host, [&] { finger.press(loop, *point, *seconds); });
         }});
    scenario.addCommand("drag", {"drag X1 Y1 X2 Y2 SECONDS", 5, 5,
                                 [&host, finger, &loop](const Scenario::Line& line) -> Result {
                                     std::string error;
                                     auto drag = ScenarioDrag::parse(line, &error);
                                     if (!drag)
                                         return error;
                                     return touch(host, [&] { finger.drag(loop, *drag); });
                                 }});
}
