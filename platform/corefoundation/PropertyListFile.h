#pragma once

#include "platform/corefoundation/CFPropertyList.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What stat(2) says about a file, enough to tell that another program has
// replaced or rewritten it since it was last read.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;

    static FileStamp of(const std::filesystem::path& path);
    bool operator==(const FileStamp&) const = default;
};

// Property-list files read and written with libplist, bounded before the
// library sees any byte: files come from other programs and the 2.2 library
// recurses once per level of nesting.
class PropertyListFile {
public:
    static constexpr size_t kMaximumBytes = 1 << 20;
    static constexpr int kMaximumDepth = 32;

    enum class Status { Read, Missing, Unreadable, TooLarge, TooDeep, TooManyObjects, Malformed };

    struct Contents {
        Status status = Status::Missing;
        std::optional<CFPropertyList> value;
        // The file as it was when opened; the read bytes belong to it.
        FileStamp stamp;
    };

    static Contents read(const std::filesystem::path& path);
    // Parses XML or binary bytes under the same bounds as read().
    static std::optional<CFPropertyList> parse(std::span<const std::uint8_t> bytes,
                                               Status* status = nullptr);
    // Binary bytes for the value; nothing when it nests deeper than the bound.
    static std::optional<std::vector<std::uint8_t>> serialize(const CFPropertyList& value);

    // Replaces the file so that a reader sees the old or the new contents,
    // never part of either: the bytes go to a temporary file in the same
    // folder, are synced, and are renamed over the file. Answers the stamp of
    // the written file, or nothing (and no temporary file) when it failed.
    static std::optional<FileStamp> writeAtomically(const std::filesystem::path& path,
                                                    std::span<const std::uint8_t> bytes);

    // Words for a log line: "larger than 1 MiB", "not a property list"...
    static std::string describe(Status status);
};
