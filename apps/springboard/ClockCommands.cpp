#include "apps/springboard/ClockCommands.h"

#include "apps/common/QuotedName.h"
#include "apps/springboard/SpringBoardHost.h"
#include "platform/foundation/NSRunLoop.h"

void registerClockCommands(Scenario& scenario, SpringBoardHost& host) {
    scenario.addCommand("wait", {"wait SECONDS", 1, 1,
                                 [&host](const Scenario::Line& line) -> std::optional<std::string> {
                                     auto seconds = parseScenarioDuration(line.arguments[0]);
                                     if (!seconds)
                                         return "bad duration " + quotedName(line.arguments[0]);
                                     host.boot();
                                     NSRunLoop::mainRunLoop().runFor(*seconds);
                                     return std::nullopt;
                                 }});
}
