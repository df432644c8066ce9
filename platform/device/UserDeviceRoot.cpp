#include "platform/device/UserDeviceRoot.h"

#include "platform/device/DeviceImage.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr const char* kUserPart = "var";
// Taken while a root is checked and refreshed: a screen locker starts one
// program per monitor, all at once, on the same root.
constexpr const char* kLockFile = ".rotix-lock";

// Holds the root's lock for as long as it lives.
class RootLock {
public:
    explicit RootLock(const std::filesystem::path& file)
        : m_descriptor(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (m_descriptor >= 0 && flock(m_descriptor, LOCK_EX) != 0) {
            ::close(m_descriptor);
            m_descriptor = -1;
        }
    }
    ~RootLock() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    RootLock(const RootLock&) = delete;
    RootLock& operator=(const RootLock&) = delete;
    bool held() const { return m_descriptor >= 0; }

private:
    int m_descriptor;
};

std::optional<std::filesystem::path> absoluteFolder(const std::optional<std::string>& value) {
    if (!value || value->empty() || value->front() != '/')
        return std::nullopt;
    return std::filesystem::path(*value);
}

// The entries of a folder, read whole before any of them changes.
std::vector<std::filesystem::path> entriesOf(const std::filesystem::path& folder,
                                             std::error_code& error) {
    std::vector<std::filesystem::path> entries;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error))
        entries.push_back(entry->path());
    return entries;
}

UserDeviceRoot::Problem problem(const std::filesystem::path& path, const std::string& what,
                                const std::error_code& error) {
    return {path, what + ": " + error.message()};
}
} // namespace

std::optional<std::filesystem::path> UserDeviceRoot::folder() {
    return folder([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    });
}

std::optional<std::filesystem::path> UserDeviceRoot::folder(const Environment& environment) {
    // A relative XDG_STATE_HOME is invalid and ignored, as the base
    // directory rules say.
    if (auto state = absoluteFolder(environment("XDG_STATE_HOME")))
        return *state / "rotix";
    if (auto home = absoluteFolder(environment("HOME")))
        return *home / ".local" / "state" / "rotix";
    return std::nullopt;
}

// The phone's user data, /var (the preferences are in /var/mobile), is the
// person's and never touched; the rest is copied from the image, stamped with
// its version, and copied afresh when the stamps differ. Copies, not links: a
// write through a link would reach the image, and links break when an
// installed tree moves. Removed and copied anew rather than overwritten, so a
// program still running the old library keeps its mapping of it.
std::optional<UserDeviceRoot::Problem> UserDeviceRoot::prepare(const std::filesystem::path& root,
                                                               const std::filesystem::path& image) {
    namespace fs = std::filesystem;
    auto imageVersion = DeviceImage::version(image);
    if (!imageVersion)
        return Problem{image, "is not a device image (it has no " +
                                  std::string(DeviceImage::kVersionFile) + ")"};
    std::error_code error;
    fs::create_directories(root, error);
    if (error)
        return problem(root, "cannot be made", error);
    RootLock lock(root / kLockFile);
    if (!lock.held())
        return Problem{root / kLockFile, "cannot be locked"};
    if (DeviceImage::version(root) == imageVersion)
        return std::nullopt;

    // The stamp goes first and comes back last, so a refresh cut short is
    // done again by the next program.
    auto old = entriesOf(root, error);
    if (error)
        return problem(root, "cannot be read", error);
    for (const auto& path : old) {
        if (path.filename() == kUserPart || path.filename() == kLockFile)
            continue;
        fs::remove_all(path, error);
        if (error)
            return problem(path, "cannot be removed", error);
    }
    auto parts = entriesOf(image, error);
    if (error)
        return problem(image, "cannot be read", error);
    for (const auto& path : parts) {
        auto name = path.filename();
        if (name == kUserPart || name == DeviceImage::kVersionFile)
            continue;
        fs::copy(path, root / name, fs::copy_options::recursive | fs::copy_options::copy_symlinks,
                 error);
        if (error)
            return problem(root / name, "cannot be copied from the image", error);
    }
    auto stamp = root / DeviceImage::kVersionFile;
    auto unfinished = root / (std::string(DeviceImage::kVersionFile) + ".new");
    fs::copy_file(image / DeviceImage::kVersionFile, unfinished,
                  fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(unfinished, stamp, error);
    if (error)
        return problem(stamp, "cannot be written", error);
    return std::nullopt;
}
