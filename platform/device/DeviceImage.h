#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The read-only device image a program ships with: the extension library and
// its filter plist, the preference bundle and its Settings entry, and the
// player's images, as the build assembled them. Programs never run on it
// directly; a root is made from it (UserDeviceRoot) or given to them.
class DeviceImage {
public:
    // The file at the image's top that holds its version. A root made from
    // the image carries a copy of it, saying which image it was made from.
    static constexpr const char* kVersionFile = ".rotix-image";

    // The image of the running program.
    static std::optional<std::filesystem::path> forRunningProgram();
    // An installed program (PREFIX/bin/NAME) finds PREFIX/share/rotix/device-root,
    // whatever the prefix; a program inside the build folder, the build's image.
    static std::optional<std::filesystem::path> forProgram(const std::filesystem::path& program);
    // The image this build assembles.
    static std::filesystem::path build();

    // The version of the image (or of the root made from one) in that
    // folder; nothing when it holds none.
    static std::optional<std::string> version(const std::filesystem::path& folder);
};
