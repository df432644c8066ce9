#include "apps/common/PreferenceCommands.h"

#include "apps/common/QuotedName.h"
#include "platform/corefoundation/CFPreferences.h"

#include <cmath>
#include <cstdint>

std::optional<CFPropertyList> parsePreferenceValue(const std::string& kind,
                                                   const std::string& text) {
    if (kind == "bool") {
        if (text == "true" || text == "YES" || text == "1")
            return CFPropertyList(true);
        if (text == "false" || text == "NO" || text == "0")
            return CFPropertyList(false);
        return std::nullopt;
    }
    if (kind == "int") {
        // Whole numbers only, within what a double holds exactly.
        auto number = parseScenarioNumber(text);
        if (!number || *number != std::floor(*number) || std::fabs(*number) > 9.0e15)
            return std::nullopt;
        return CFPropertyList(static_cast<std::int64_t>(*number));
    }
    if (kind == "real") {
        auto number = parseScenarioNumber(text);
        if (!number)
            return std::nullopt;
        return CFPropertyList(*number);
    }
    if (kind == "string")
        return CFPropertyList(text);
    return std::nullopt;
}

void registerPreferenceCommands(Scenario& scenario) {
    using Result = std::optional<std::string>;
    scenario.addCommand(
        "pref", {"pref DOMAIN KEY bool|int|real|string VALUE", 4, 4,
                 [](const Scenario::Line& line) -> Result {
                     auto value = parsePreferenceValue(line.arguments[2], line.arguments[3]);
                     if (!value)
                         return "bad value " + quotedName(line.arguments[3]) + " for kind " +
                                quotedName(line.arguments[2]);
                     CFPreferencesSetAppValue(line.arguments[1], *value, line.arguments[0]);
                     if (!CFPreferencesAppSynchronize(line.arguments[0]))
                         return "cannot write the domain " + quotedName(line.arguments[0]);
                     return std::nullopt;
                 }});
    scenario.addCommand("pref-delete",
                        {"pref-delete DOMAIN KEY", 2, 2, [](const Scenario::Line& line) -> Result {
                             CFPreferencesSetAppValue(line.arguments[1], std::nullopt,
                                                      line.arguments[0]);
                             if (!CFPreferencesAppSynchronize(line.arguments[0]))
                                 return "cannot write the domain " + quotedName(line.arguments[0]);
                             return std::nullopt;
                         }});
}
