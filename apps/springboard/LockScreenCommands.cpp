#include "apps/springboard/LockScreenCommands.h"

#include "apps/common/PreferenceCommands.h"
#include "apps/common/QuotedName.h"
#include "apps/springboard/SpringBoardHost.h"
#include "platform/activator/LAActivator.h"
#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"

void registerLockScreenCommands(Scenario& scenario, SpringBoardHost& host) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();

    scenario.addCommand("passcode",
                        {"passcode on|off", 1, 1,
                         [&host](const Scenario::Line& line) -> std::optional<std::string> {
                             if (line.arguments[0] != "on" && line.arguments[0] != "off")
                                 return "passcode is on or off";
                             host.setPasscodeLocked(line.arguments[0] == "on");
                             return std::nullopt;
                         }});
    scenario.addCommand(
        "post", {"post NAME [KEY bool|int|real|string VALUE]", 1, 4,
                 [&host, &loop](const Scenario::Line& line) -> std::optional<std::string> {
                     if (line.arguments.size() != 1 && line.arguments.size() != 4)
                         return "a user-info entry needs a key, a kind and a value";
                     CFDictionary info;
                     if (line.arguments.size() == 4) {
                         auto value = parsePreferenceValue(line.arguments[2], line.arguments[3]);
                         if (!value)
                             return "bad value " + quotedName(line.arguments[3]) + " for kind " +
                                    quotedName(line.arguments[2]);
                         info.emplace(line.arguments[1], *value);
                     }
                     // The observers register as the lock screen starts; a post
                     // before that would reach no one.
                     host.boot();
                     CFNotificationCenterPostNotification(
                         CFNotificationCenterGetDistributedCenter(), line.arguments[0], nullptr,
                         line.arguments.size() == 4 ? &info : nullptr, true);
                     loop.runUntilIdle();
                     return std::nullopt;
                 }});
    scenario.addCommand(
        "activator",
        {"activator LISTENER-NAME", 1, 1,
         [&host, &loop](const Scenario::Line& line) -> std::optional<std::string> {
             host.boot();
             auto event = LAEvent::eventWithName("scenario");
             if (!LAActivator::sharedInstance()->sendEventToListener(event, line.arguments[0]))
                 return "no listener is registered as " + quotedName(line.arguments[0]);
             loop.runUntilIdle();
             return std::nullopt;
         }});
    scenario.addCommand(
        "media-page",
        {"media-page", 0, 0, [&host, &loop](const Scenario::Line&) -> std::optional<std::string> {
             host.rebuildMediaControlsPage();
             loop.runUntilIdle();
             return std::nullopt;
         }});
}
