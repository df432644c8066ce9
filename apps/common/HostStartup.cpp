#include "apps/common/HostStartup.h"

#include "apps/common/QuotedName.h"

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

std::optional<std::string> deviceRootProblem(const std::string& root) {
    if (root.empty())
        return std::nullopt;
    std::error_code error;
    auto status = std::filesystem::status(root, error);
    if (!std::filesystem::exists(status))
        return "the device root " + quotedName(root) + " does not exist";
    if (!std::filesystem::is_directory(status))
        return "the device root " + quotedName(root) + " is not a folder";
    return std::nullopt;
}
