#include "platform/device/DeviceRoot.h"

#include <mutex>

namespace {
std::mutex rootMutex;
std::filesystem::path& chosenRoot() {
    static std::filesystem::path root;
    return root;
}
} // namespace

std::filesystem::path DeviceRoot::current() {
    std::lock_guard lock(rootMutex);
    return chosenRoot();
}

void DeviceRoot::set(std::filesystem::path root) {
    std::lock_guard lock(rootMutex);
    chosenRoot() = root.empty() ? root : std::filesystem::absolute(root).lexically_normal();
}

std::optional<std::filesystem::path> DeviceRoot::resolve(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/')
        return std::nullopt;
    std::filesystem::path relative =
        std::filesystem::path(devicePath).relative_path().lexically_normal();
    for (const auto& part : relative) {
        if (part == "..")
            return std::nullopt;
    }
    std::filesystem::path root = current();
    if (root.empty())
        return std::nullopt;
    return root / relative;
}
