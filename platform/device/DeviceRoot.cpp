#include "platform/device/DeviceRoot.h"

#include <mutex>

namespace {
std::mutex rootMutex;
std::optional<std::filesystem::path>& chosenRoot() {
    static std::optional<std::filesystem::path> root;
    return root;
}
} // namespace

std::filesystem::path DeviceRoot::buildDefault() { return ROTIX_DEFAULT_DEVICE_ROOT; }

std::filesystem::path DeviceRoot::current() {
    std::lock_guard lock(rootMutex);
    return chosenRoot().value_or(buildDefault());
}

void DeviceRoot::set(std::filesystem::path root) {
    std::lock_guard lock(rootMutex);
    chosenRoot() = std::filesystem::absolute(root).lexically_normal();
}

std::optional<std::filesystem::path> DeviceRoot::resolve(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/')
        return std::nullopt;
    std::filesystem::path relative = std::filesystem::path(devicePath).relative_path().lexically_normal();
    for (const auto& part : relative) {
        if (part == "..")
            return std::nullopt;
    }
    return current() / relative;
}
