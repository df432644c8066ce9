#include "apps/springboard/TouchCommands.h"

#include "apps/springboard/SpringBoardHost.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Fingers are sampled at the display's rate while they move.
constexpr double kTouchSampleInterval = 1.0 / 60.0;
constexpr double kTapDuration = 0.05;

} // namespace

void registerTouchCommands(Scenario& scenario, SpringBoardHost& host) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();

    scenario.addCommand("down",
                        {"down X Y", 2, 2,
                         [&host, &loop](const Scenario::Line& line) -> std::optional<std::string> {
                             auto p = parseScenarioPoint(line, 0);
                             if (!p)
                                 return "bad coordinates";
                             host.noteUserTouch();
                             host.window()->touchDown(*p);
                             loop.runUntilIdle();
                             return std::nullopt;
                         }});
    // Moving and lifting need a finger that is down.
    using Phase = void (UIWindow::*)(CGPoint);
    for (auto [name, phase] : {std::pair<std::string, Phase>{"move", &UIWindow::touchMove},
                               std::pair<std::string, Phase>{"up", &UIWindow::touchUp}}) {
        scenario.addCommand(name, {name + " X Y", 2, 2,
                                   [&host, phase = phase, &loop](
                                       const Scenario::Line& line) -> std::optional<std::string> {
                                       auto p = parseScenarioPoint(line, 0);
                                       if (!p)
                                           return "bad coordinates";
                                       host.boot();
                                       if (!host.window()->hasActiveTouch())
                                           return "no finger is down";
                                       ((*host.window()).*phase)(*p);
                                       loop.runUntilIdle();
                                       return std::nullopt;
                                   }});
    }
    scenario.addCommand(
        "tap",
        {"tap X Y", 2, 2, [&host, &loop](const Scenario::Line& line) -> std::optional<std::string> {
             auto p = parseScenarioPoint(line, 0);
             if (!p)
                 return "bad coordinates";
             host.noteUserTouch();
             host.window()->touchDown(*p);
             loop.runFor(kTapDuration);
             host.window()->touchUp(*p);
             loop.runUntilIdle();
             return std::nullopt;
         }});
    scenario.addCommand("hold",
                        {"hold X Y SECONDS", 3, 3,
                         [&host, &loop](const Scenario::Line& line) -> std::optional<std::string> {
                             auto p = parseScenarioPoint(line, 0);
                             std::string error;
                             auto seconds = parseScenarioTouchDuration(line.arguments[2], &error);
                             if (!p)
                                 return "bad coordinates";
                             if (!seconds)
                                 return error;
                             host.noteUserTouch();
                             host.window()->touchDown(*p);
                             loop.runFor(*seconds);
                             host.window()->touchUp(*p);
                             loop.runUntilIdle();
                             return std::nullopt;
                         }});
    scenario.addCommand(
        "drag", {"drag X1 Y1 X2 Y2 SECONDS", 5, 5,
                 [&host, &loop](const Scenario::Line& line) -> std::optional<std::string> {
                     auto from = parseScenarioPoint(line, 0);
                     auto to = parseScenarioPoint(line, 2);
                     std::string error;
                     auto seconds = parseScenarioTouchDuration(line.arguments[4], &error);
                     if (!from || !to)
                         return "bad coordinates";
                     if (!seconds)
                         return error;
                     host.boot();
                     auto steps =
                         std::max(1, static_cast<int>(std::ceil(*seconds / kTouchSampleInterval)));
                     host.noteUserTouch();
                     host.window()->touchDown(*from);
                     for (int i = 1; i <= steps; ++i) {
                         loop.runFor(*seconds / steps);
                         double t = static_cast<double>(i) / steps;
                         host.window()->touchMove(
                             {from->x + (to->x - from->x) * t, from->y + (to->y - from->y) * t});
                     }
                     host.window()->touchUp(*to);
                     loop.runUntilIdle();
                     return std::nullopt;
                 }});
}
