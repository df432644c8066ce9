#include "apps/common/DumpOutput.h"

#include "apps/common/QuotedName.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <string_view>
#include <unistd.h>

namespace {

// Answers the error number that stopped the write, or 0. Standard output may
// share its file with standard input, which a live session reads without
// blocking; the write then waits until the terminal or pipe takes more.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{fd, POLLOUT, 0};
            poll(&ready, 1, -1);
            continue;
        }
        return written < 0 ? errno : EIO;
    }
    return 0;
}

} // namespace

std::optional<std::string> writeDump(const std::string& text, const std::string& destination) {
    if (destination == "-") {
        std::cout.flush();
        if (int error = writeAll(STDOUT_FILENO, text))
            return std::string("cannot write to standard output: ") + std::strerror(error);
        return std::nullopt;
    }
    int fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int error = fd < 0 ? errno : writeAll(fd, text);
    // A file system may report a failed write only when the file is closed.
    if (fd >= 0 && close(fd) != 0 && error == 0)
        error = errno;
    if (error)
        return "cannot write " + quotedName(destination) + ": " + std::strerror(error);
    return std::nullopt;
}
