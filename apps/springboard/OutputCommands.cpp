#include "apps/springboard/OutputCommands.h"

#include "apps/common/DumpOutput.h"
#include "apps/common/QuotedName.h"
#include "apps/springboard/SpringBoardHost.h"
#include "platform/foundation/NSRunLoop.h"

void registerOutputCommands(Scenario& scenario, SpringBoardHost& host) {
    scenario.addCommand("snapshot",
                        {"snapshot FILE.png", 1, 1,
                         [&host](const Scenario::Line& line) -> std::optional<std::string> {
                             host.boot();
                             NSRunLoop::mainRunLoop().runUntilIdle();
                             if (!host.writeSnapshot(line.arguments[0]))
                                 return "cannot write " + quotedName(line.arguments[0]);
                             return std::nullopt;
                         }});
    scenario.addCommand("dump", {"dump FILE.json|-", 1, 1,
                                 [&host](const Scenario::Line& line) -> std::optional<std::string> {
                                     host.boot();
                                     NSRunLoop::mainRunLoop().runUntilIdle();
                                     return writeDump(host.dump().serialize(), line.arguments[0]);
                                 }});
}
