#include "apps/springboard/DeviceCommands.h"

#include "apps/common/DeviceChoice.h"
#include "apps/common/QuotedName.h"
#include "apps/springboard/SpringBoardHost.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIDevice.h"

#include <utility>

namespace {

std::optional<UIDeviceOrientation> orientationNamed(const std::string& name) {
    static const std::pair<const char*, UIDeviceOrientation> names[] = {
        {"unknown", UIDeviceOrientation::Unknown},
        {"portrait", UIDeviceOrientation::Portrait},
        {"upside-down", UIDeviceOrientation::PortraitUpsideDown},
        {"landscape-left", UIDeviceOrientation::LandscapeLeft},
        {"landscape-right", UIDeviceOrientation::LandscapeRight},
        {"face-up", UIDeviceOrientation::FaceUp},
        {"face-down", UIDeviceOrientation::FaceDown},
    };
    for (const auto& [text, orientation] : names) {
        if (name == text)
            return orientation;
    }
    return std::nullopt;
}

} // namespace

void registerDeviceCommands(Scenario& scenario, SpringBoardHost& host) {
    scenario.addCommand("device",
                        {"device NAME|WxH@S [phone|pad]", 1, 2,
                         [&host](const Scenario::Line& line) -> std::optional<std::string> {
                             if (host.isBooted())
                                 return "the device is chosen before the lock screen starts";
                             std::string error;
                             auto profile = parseDeviceChoice(line.arguments, &error);
                             if (!profile)
                                 return error;
                             host.setDevice(*profile);
                             return std::nullopt;
                         }});

    scenario.addCommand(
        "orientation",
        {"orientation "
         "portrait|upside-down|landscape-left|landscape-right|face-up|face-down|unknown",
         1, 1, [](const Scenario::Line& line) -> std::optional<std::string> {
             auto orientation = orientationNamed(line.arguments[0]);
             if (!orientation)
                 return "unknown orientation " + quotedName(line.arguments[0]);
             UIDevice::currentDevice()->setOrientation(*orientation);
             NSRunLoop::mainRunLoop().runUntilIdle();
             return std::nullopt;
         }});
}
