#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The folder that plays the phone's file system. Every absolute path the
// system uses ("/Library/...", "/var/mobile/...") resolves under it, and
// nothing is ever read or written outside it.
class DeviceRoot {
public:
    // The root in use: the one set last, else the one the build assembled.
    static std::filesystem::path current();
    static void set(std::filesystem::path root);
    // The root the build assembled (assets, preference bundle, extensions).
    static std::filesystem::path buildDefault();

    // The host path for a device path. Relative paths and paths that would
    // climb out of the root ("..") resolve to nothing.
    static std::optional<std::filesystem::path> resolve(std::string_view devicePath);
};
