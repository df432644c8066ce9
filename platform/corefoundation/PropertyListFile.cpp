#include "platform/corefoundation/PropertyListFile.h"

#include "platform/corefoundation/PropertyListNesting.h"
#include "platform/corefoundation/UTF8Text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPointer = std::unique_ptr<void, PlistDeleter>;

FileStamp stampFrom(const struct stat& info) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.modifiedSeconds = info.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    stamp.changedSeconds = info.st_ctim.tv_sec;
    stamp.changedNanoseconds = info.st_ctim.tv_nsec;
    return stamp;
}

// libplist keeps integers as unsigned 64-bit values and hands negative ones
// back in two's complement, so the cast restores the sign. Its parsers pass
// on text that is not UTF-8, which its binary writer then mangles; repaired
// here, such text is written back as it was read.
std::optional<CFPropertyList> fromPlist(plist_t node, int depth) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return CFPropertyList(value != 0);
    }
    case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return CFPropertyList(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return CFPropertyList(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        // Any program may have written the file; what is shown must be UTF-8.
        // libplist's strings are C strings: its writers stop at a NUL, and
        // its XML reader reports a length past one it let through.
        return CFPropertyList(
            text ? stringByRepairingUTF8(std::string_view(text, ::strnlen(text, length)))
                 : std::string());
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
        return CFPropertyList::data(bytes ? std::vector<std::uint8_t>(begin, begin + length)
                                          : std::vector<std::uint8_t>());
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        // libplist cuts the seconds toward zero and hands the fraction back
        // without its sign, so a date before the reference date subtracts it.
        const double fraction = microseconds / 1e6;
        return CFPropertyList(CFDate{seconds < 0 ? seconds - fraction : seconds + fraction});
    }
    case PLIST_ARRAY: {
        if (depth > PropertyListFile::kMaximumDepth)
            return std::nullopt;
        CFArray array;
        std::uint32_t count = plist_array_get_size(node);
        array.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            plist_t item = plist_array_get_item(node, i);
            // Keyed-archive identifiers are not property-list values.
            if (plist_get_node_type(item) == PLIST_UID)
                continue;
            auto value = fromPlist(item, depth + 1);
            if (!value)
                return std::nullopt;
            array.push_back(std::move(*value));
        }
        return CFPropertyList(std::move(array));
    }
    case PLIST_DICT: {
        if (depth > PropertyListFile::kMaximumDepth)
            return std::nullopt;
        CFDictionary dictionary;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        bool complete = true;
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            std::string name = key ? stringByRepairingUTF8(key) : "";
            std::free(key);
            if (plist_get_node_type(item) == PLIST_UID)
                continue;
            auto value = fromPlist(item, depth + 1);
            if (!value) {
                complete = false;
                break;
            }
            dictionary.insert_or_assign(std::move(name), std::move(*value));
        }
        std::free(iterator);
        if (!complete)
            return std::nullopt;
        return CFPropertyList(std::move(dictionary));
    }
    default:
        return std::nullopt;
    }
}

plist_t toPlist(const CFPropertyList& value, int depth);

struct ToPlist {
    int depth;

    plist_t operator()(bool flag) const { return plist_new_bool(flag ? 1 : 0); }
    plist_t operator()(std::int64_t number) const {
        return plist_new_uint(static_cast<std::uint64_t>(number));
    }
    plist_t operator()(double number) const { return plist_new_real(number); }
    plist_t operator()(const std::string& text) const { return plist_new_string(text.c_str()); }
    plist_t operator()(const CFData& data) const {
        static const std::vector<std::uint8_t> empty;
        const std::vector<std::uint8_t>& bytes = data ? *data : empty;
        return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    plist_t operator()(const CFDate& date) const {
        // libplist keeps dates as 32-bit seconds since the reference date.
        double seconds = std::floor(date.absoluteTime);
        if (!std::isfinite(seconds))
            seconds = 0;
        seconds = std::clamp(seconds, -2147483648.0, 2147483647.0);
        double fraction = std::clamp(date.absoluteTime - seconds, 0.0, 0.999999);
        if (!std::isfinite(fraction))
            fraction = 0;
        return plist_new_date(static_cast<std::int32_t>(seconds),
                              static_cast<std::int32_t>(fraction * 1e6));
    }
    plist_t operator()(const CFArray& array) const {
        if (depth > PropertyListFile::kMaximumDepth)
            return nullptr;
        PlistPointer node(plist_new_array());
        for (const CFPropertyList& item : array) {
            plist_t child = toPlist(item, depth + 1);
            if (!child)
                return nullptr;
            plist_array_append_item(node.get(), child);
        }
        return node.release();
    }
    plist_t operator()(const CFDictionary& dictionary) const {
        if (depth > PropertyListFile::kMaximumDepth)
            return nullptr;
        PlistPointer node(plist_new_dict());
        for (const auto& [key, item] : dictionary) {
            plist_t child = toPlist(item, depth + 1);
            if (!child)
                return nullptr;
            plist_dict_set_item(node.get(), key.c_str(), child);
        }
        return node.release();
    }
};

plist_t toPlist(const CFPropertyList& value, int depth) {
    return std::visit(ToPlist{depth}, value.value());
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t result = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return false;
        written += static_cast<size_t>(result);
    }
    return true;
}

} // namespace

FileStamp FileStamp::of(const std::filesystem::path& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return stampFrom(info);
}

PropertyListFile::Contents PropertyListFile::read(const std::filesystem::path& path) {
    Contents contents;
    // Non-blocking, so a pipe put where the file should be cannot stall us.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        contents.status =
            errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Unreadable;
        return contents;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        contents.status = Status::Unreadable;
        return contents;
    }
    contents.stamp = stampFrom(info);
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        contents.status = Status::Unreadable;
        return contents;
    }
    if (info.st_size > static_cast<off_t>(kMaximumBytes)) {
        ::close(fd);
        contents.status = Status::TooLarge;
        return contents;
    }
    // Room for one byte more than fstat saw, so a file that grew since is
    // noticed; reading stops one byte past the limit, which refuses it.
    std::vector<std::uint8_t> bytes(static_cast<size_t>(info.st_size) + 1);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > kMaximumBytes)
                break;
            bytes.resize(std::min(bytes.size() * 2, kMaximumBytes + 1));
        }
        ssize_t result = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0) {
            ::close(fd);
            contents.status = Status::Unreadable;
            return contents;
        }
        if (result == 0)
            break;
        filled += static_cast<size_t>(result);
    }
    ::close(fd);
    bytes.resize(filled);
    contents.value = parse(bytes, &contents.status);
    return contents;
}

std::optional<CFPropertyList> PropertyListFile::parse(std::span<const std::uint8_t> bytes,
                                                      Status* status) {
    Status ignored;
    Status& result = status ? *status : ignored;
    if (bytes.size() > kMaximumBytes) {
        result = Status::TooLarge;
        return std::nullopt;
    }
    if (bytes.empty()) {
        result = Status::Malformed;
        return std::nullopt;
    }
    switch (checkPropertyListNesting(bytes, kMaximumDepth)) {
    case PropertyListNesting::Within:
        break;
    case PropertyListNesting::TooDeep:
        result = Status::TooDeep;
        return std::nullopt;
    case PropertyListNesting::TooManyObjects:
        result = Status::TooManyObjects;
        return std::nullopt;
    case PropertyListNesting::Malformed:
        result = Status::Malformed;
        return std::nullopt;
    }
    // A terminated copy, so no parser path can read past the end.
    std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    plist_t root = nullptr;
    plist_from_memory(text.data(), static_cast<std::uint32_t>(text.size()), &root);
    PlistPointer owner(root);
    if (!root) {
        result = Status::Malformed;
        return std::nullopt;
    }
    auto value = fromPlist(root, 1);
    result = value ? Status::Read : Status::TooDeep;
    return value;
}

std::optional<std::vector<std::uint8_t>> PropertyListFile::serialize(const CFPropertyList& value) {
    PlistPointer root(toPlist(value, 1));
    if (!root)
        return std::nullopt;
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    if (!bytes)
        return std::nullopt;
    std::vector<std::uint8_t> result(bytes, bytes + length);
    plist_to_bin_free(bytes);
    return result;
}

std::optional<FileStamp> PropertyListFile::writeAtomically(const std::filesystem::path& path,
                                                           std::span<const std::uint8_t> bytes) {
    std::filesystem::path folder = path.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return std::nullopt;
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    auto fail = [&]() -> std::optional<FileStamp> {
        ::close(fd);
        ::unlink(temporary.c_str());
        return std::nullopt;
    };
    if (!writeAll(fd, bytes) || ::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0)
        return fail();
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return fail();
    // The stamp is taken after the rename, which itself changes the file's
    // status time; the descriptor still names the file we wrote.
    struct stat info;
    bool stamped = ::fstat(fd, &info) == 0;
    ::close(fd);
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    if (!stamped)
        return FileStamp::of(path);
    return stampFrom(info);
}

std::string PropertyListFile::describe(Status status) {
    switch (status) {
    case Status::Read:
        return "read";
    case Status::Missing:
        return "missing";
    case Status::Unreadable:
        return "unreadable";
    case Status::TooLarge:
        return "larger than 1 MiB";
    case Status::TooDeep:
        return "nested deeper than 32 levels";
    case Status::TooManyObjects:
        return "holding too many objects";
    case Status::Malformed:
        return "not a property list";
    }
    return "unknown";
}
