#include "platform/corefoundation/PreferenceFileLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

// A writer holds the lock only while it writes a file of at most a mebibyte;
// one that keeps it far longer is stopped or stuck, and waiting on would hang us.
constexpr auto kLongestWait = std::chrono::seconds(5);
constexpr auto kRetryInterval = std::chrono::milliseconds(1);

} // namespace

std::optional<PreferenceFileLock>
PreferenceFileLock::acquire(const std::filesystem::path& lockPath) {
    std::error_code error;
    std::filesystem::create_directories(lockPath.parent_path(), error);
    if (error)
        return std::nullopt;
    // Never through a link another program put there, and never blocking on
    // a pipe in its place.
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0)
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return PreferenceFileLock(fd);
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return std::nullopt;
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
}

PreferenceFileLock::PreferenceFileLock(PreferenceFileLock&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

PreferenceFileLock::~PreferenceFileLock() {
    // Closing the only descriptor of the open file releases the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}
