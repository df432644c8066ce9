#include "platform/device/DeviceImage.h"

#include <algorithm>
#include <fstream>

namespace {
// A version is one short line; anything longer is not a stamp of ours.
constexpr std::size_t kMaximumVersionLength = 256;

bool isInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    auto [folderEnd, fileEnd] =
        std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return folderEnd == folder.end() && fileEnd != file.end();
}
} // namespace

std::filesystem::path DeviceImage::build() {
    return ROTIX_BUILD_DEVICE_IMAGE;
}

std::optional<std::filesystem::path> DeviceImage::forRunningProgram() {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return forProgram(program);
}

std::optional<std::filesystem::path> DeviceImage::forProgram(const std::filesystem::path& program) {
    std::error_code error;
    auto file = std::filesystem::weakly_canonical(program, error);
    if (error)
        return std::nullopt;
    auto installed = file.parent_path().parent_path() / "share" / "rotix" / "device-root";
    if (version(installed))
        return installed;
    // The build's programs live in the build folder; an installed program
    // never falls back on a build it might have come from.
    auto buildFolder = std::filesystem::weakly_canonical(ROTIX_BUILD_FOLDER, error);
    if (!error && isInside(file, buildFolder) && version(build()))
        return build();
    return std::nullopt;
}

std::optional<std::string> DeviceImage::version(const std::filesystem::path& folder) {
    std::ifstream file(folder / kVersionFile, std::ios::binary);
    std::string text(kMaximumVersionLength + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    auto end = text.find('\n');
    if (end == std::string::npos || end == 0)
        return std::nullopt;
    return text.substr(0, end);
}
