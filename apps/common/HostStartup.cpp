#include "apps/common/HostStartup.h"

#include "apps/common/QuotedName.h"
#include "platform/device/DeviceImage.h"
#include "platform/device/UserDeviceRoot.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

void reserveStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lower descriptors are open by now, so this one is the lowest
        // free number; dup2 covers the case where it is not.
        int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

std::optional<std::string> chooseDeviceRoot(std::string& root) {
    auto image = DeviceImage::forRunningProgram();
    std::error_code error;
    if (!root.empty()) {
        auto status = std::filesystem::status(root, error);
        if (!std::filesystem::exists(status))
            return "the device root " + quotedName(root) + " does not exist";
        if (!std::filesystem::is_directory(status))
            return "the device root " + quotedName(root) + " is not a folder";
        if (image && std::filesystem::equivalent(root, *image, error))
            return "the device root " + quotedName(root) +
                   " is the program's image, which is never written; leave --root out to use "
                   "your own";
        return std::nullopt;
    }
    if (!image)
        return "no device image was found beside the program; give a device root with --root DIR";
    auto folder = UserDeviceRoot::folder();
    if (!folder)
        return "no home folder (HOME) to keep the device root in; give one with --root DIR";
    if (auto problem = UserDeviceRoot::prepare(*folder, *image))
        return quotedName(problem->path.string()) + " " + problem->reason;
    root = folder->string();
    return std::nullopt;
}
