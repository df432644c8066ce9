#pragma once

#include "platform/uikit/UIDeviceProfile.h"

#include <optional>
#include <string>
#include <vector>

// Reads a device the way the hosts' "device" command and their --device
// option take it: NAME|WxH@S, then phone or pad if the idiom is given.
// Answers the profile, or nothing with the reason in error.
std::optional<UIDeviceProfile> parseDeviceChoice(const std::vector<std::string>& words,
                                                 std::string* error);
