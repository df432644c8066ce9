#pragma once

#include "apps/common/Scenario.h"
#include "platform/corefoundation/CFPropertyList.h"

#include <optional>
#include <string>

// The scenario commands that write the preference store, shared by every
// host: "pref DOMAIN KEY KIND VALUE" and "pref-delete DOMAIN KEY".
void registerPreferenceCommands(Scenario& scenario);

// A value of a kind as a scenario writes it: bool (true/YES/1,
// false/NO/0), int, real or string; nothing when the text does not fit.
std::optional<CFPropertyList> parsePreferenceValue(const std::string& kind,
                                                   const std::string& text);
