#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The folder that plays the phone's file system. Every absolute path the
// system uses ("/Library/...", "/var/mobile/...") resolves under it, and
// nothing is ever read or written outside it.
class DeviceRoot {
public:
    // The root in use, or an empty path while none was chosen: a program
    // chooses its own at start (the --root option, or UserDeviceRoot).
    static std::filesystem::path current();
    // An empty path forgets the choice.
    static void set(std::filesystem::path root);

    // The host path for a device path. Relative paths, paths that would
    // climb out of the root ("..") and any path while no root is chosen
    // resolve to nothing.
    static std::optional<std::filesystem::path> resolve(std::string_view devicePath);
};
