#pragma once

#include "apps/common/CommandLine.h"
#include "apps/common/HostClock.h"
#include "apps/common/WindowOptions.h"
#include "platform/uikit/UIDeviceProfile.h"

#include <optional>
#include <string>
#include <vector>

// The options both hosts take: the scenario, the clock, the device root, the
// device, and the window with its Activator keys.
class HostArguments {
public:
    // "-" for standard input; empty for none.
    std::string scenarioPath;
    HostClock clock = HostClock::Manual;
    // Empty for the default root.
    std::string root;
    std::optional<UIDeviceProfile> device;
    bool window = false;
    std::vector<ActivatorKey> activatorKeys;

    // Adds the options to the command line; `screen` names what the window
    // shows. The options write into this object, which must stay in place
    // until the command line is parsed.
    void addOptions(CommandLine& commandLine, const std::string& screen);
    // Reads the values the options took; answers 2 after reporting the first
    // one refused.
    std::optional<int> check(const CommandLine& commandLine);

private:
    std::string m_clockName = "manual";
    std::vector<std::string> m_activatorKeyTexts;
    std::vector<std::string> m_deviceWords;
};
