#include "platform/mediaremote/mpris/MprisArtworkLoader.h"

#include "platform/graphics/CGImageIO.h"
#include "platform/mediaremote/mpris/MprisURL.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view kFileScheme = "file://";
constexpr std::string_view kLocalHost = "localhost";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != prefix[i])
            return false;
    }
    return true;
}

// Closes the descriptor whatever way the read ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::optional<std::string> MprisArtworkLoader::pathFromFileURL(std::string_view url) {
    if (!startsWithIgnoringCase(url, kFileScheme))
        return std::nullopt;
    std::string_view rest = url.substr(kFileScheme.size());
    // A query or fragment is not part of the path.
    rest = rest.substr(0, rest.find_first_of("?#"));
    size_t slash = rest.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    std::string_view host = rest.substr(0, slash);
    if (!host.empty() && !startsWithIgnoringCase(host, kLocalHost))
        return std::nullopt;
    if (host.size() > kLocalHost.size())
        return std::nullopt;
    return MprisURL::percentDecoded(rest.substr(slash));
}

CFData MprisArtworkLoader::load(const std::string& path) {
    // Not blocking on open: a named pipe would otherwise wait for a writer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0)
        return nullptr;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0 ||
        static_cast<unsigned long long>(status.st_size) > kMaximumBytes)
        return nullptr;
    // One byte more than the size said, to notice a file that grew since.
    std::vector<std::uint8_t> bytes(static_cast<size_t>(status.st_size) + 1);
    size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t count = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return nullptr;
        if (count == 0)
            break;
        filled += static_cast<size_t>(count);
    }
    if (filled == 0 || filled > kMaximumBytes || filled != static_cast<size_t>(status.st_size))
        return nullptr;
    bytes.resize(filled);
    if (CGImageDecode(bytes).failure != CGImageDecodeFailure::None)
        return nullptr;
    return std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}
