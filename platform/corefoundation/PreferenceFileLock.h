#pragma once

#include <filesystem>
#include <optional>

// An advisory lock (flock) on a file beside a domain's preference file, held
// while a process re-reads, merges and replaces that file, so that writers
// in other processes take turns instead of writing over each other's keys.
class PreferenceFileLock {
public:
    // Creates the lock file (and its folder) when needed and waits a few
    // seconds at most for the lock; nothing when it cannot be had.
    static std::optional<PreferenceFileLock> acquire(const std::filesystem::path& lockPath);

    PreferenceFileLock(PreferenceFileLock&& other) noexcept;
    PreferenceFileLock& operator=(PreferenceFileLock&&) = delete;
    PreferenceFileLock(const PreferenceFileLock&) = delete;
    PreferenceFileLock& operator=(const PreferenceFileLock&) = delete;
    ~PreferenceFileLock();

private:
    explicit PreferenceFileLock(int fd) : m_fd(fd) {}

    int m_fd;
};
