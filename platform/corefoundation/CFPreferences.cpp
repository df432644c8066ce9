#include "platform/corefoundation/CFPreferences.h"

#include "platform/corefoundation/CFRunLoop.h"
#include "platform/corefoundation/PreferenceFileLock.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/device/DeviceRoot.h"
#include "platform/system/SystemLog.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>

namespace {

constexpr std::string_view kPreferencesFolder = "/var/mobile/Library/Preferences/";
constexpr std::string_view kLogSource = "CFPreferences";
// Files moved aside in one second get numbered names, up to this many.
constexpr int kMostAsideNames = 100;
// Seconds from 1970 to the platform's reference date, 2001-01-01.
constexpr double kReferenceDateSinceUnixEpoch = 978307200.0;

// "20250101T093000Z": sorts by time and is safe in a file name.
std::string timestamp(CFAbsoluteTime time) {
    double seconds = std::floor(time + kReferenceDateSinceUnixEpoch);
    std::time_t unixTime =
        std::fabs(seconds) < 1e15 ? static_cast<std::time_t>(seconds) : std::time_t{0};
    std::tm utc{};
    char text[32] = "unknown-time";
    if (gmtime_r(&unixTime, &utc))
        std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

// Only a regular file (or a link to one) holds something worth keeping; a
// folder or a pipe in its place is left for the write to fail on or replace.
bool isPlainFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// Domains are names like "com.varlo.rotixsettings"; anything that could
// reach another folder or hide the file is refused.
bool isPlainDomainName(const std::string& domain) {
    if (domain.empty() || domain.front() == '.')
        return false;
    if (domain.find('/') != std::string::npos || domain.find("..") != std::string::npos)
        return false;
    for (char c : domain) {
        auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F || c == '\\')
            return false;
    }
    return true;
}

// The process's view of every domain it has used. One lock covers the
// views and the file work, which is small and rare next to the reads.
class PreferenceStore {
public:
    static PreferenceStore& shared() {
        static PreferenceStore store;
        return store;
    }

    std::optional<CFPropertyList> copy(const std::string& key, const std::string& name) {
        std::lock_guard lock(m_mutex);
        Domain* domain = find(name);
        if (!domain)
            return std::nullopt;
        if (auto pending = domain->pending.find(key); pending != domain->pending.end())
            return pending->second;
        if (auto stored = domain->stored.find(key); stored != domain->stored.end())
            return stored->second;
        return std::nullopt;
    }

    void set(const std::string& key, std::optional<CFPropertyList> value, const std::string& name) {
        std::lock_guard lock(m_mutex);
        if (Domain* domain = find(name))
            domain->pending.insert_or_assign(key, std::move(value));
    }

    bool synchronize(const std::string& name) {
        std::lock_guard lock(m_mutex);
        Domain* domain = find(name);
        if (!domain)
            return false;
        if (FileStamp::of(domain->hostPath) != domain->stamp)
            load(*domain);
        if (domain->pending.empty())
            return true;
        // Nothing changes: leave the file (even one we could not read) alone.
        if (merged(*domain) == domain->stored) {
            domain->pending.clear();
            return true;
        }

        // Other processes write the same file: under the lock, read what they
        // wrote and lay only this process's changes over it. The read does not
        // trust the stamp, whose times are coarse and whose inode may be reused.
        auto fileLock = PreferenceFileLock::acquire(domain->hostPath.string() + ".lock");
        if (!fileLock) {
            log(*domain, "could not lock the file; values kept for the next synchronise");
            return false;
        }
        load(*domain);
        CFDictionary values = merged(*domain);
        if (values == domain->stored) {
            domain->pending.clear();
            return true;
        }
        auto bytes = PropertyListFile::serialize(CFPropertyList(values));
        if (!bytes || bytes->size() > PropertyListFile::kMaximumBytes) {
            log(*domain, "values too large or nested too deeply to store");
            return false;
        }
        if (domain->refused && !moveAside(*domain))
            return false;
        auto stamp = PropertyListFile::writeAtomically(domain->hostPath, *bytes);
        if (!stamp) {
            log(*domain, "could not write the file");
            return false;
        }
        domain->stored = std::move(values);
        domain->pending.clear();
        domain->stamp = *stamp;
        return true;
    }

    void reset() {
        std::lock_guard lock(m_mutex);
        m_domains.clear();
    }

private:
    struct Domain {
        std::string devicePath;
        std::filesystem::path hostPath;
        // The file's dictionary as last read or written.
        CFDictionary stored;
        // Values set since the last synchronise; nothing marks a removal.
        std::map<std::string, std::optional<CFPropertyList>> pending;
        FileStamp stamp;
        // The file holds something we could not read, which a write must not destroy.
        bool refused = false;
    };

    static CFDictionary merged(const Domain& domain) {
        CFDictionary values = domain.stored;
        for (auto& [key, value] : domain.pending) {
            if (value)
                values.insert_or_assign(key, *value);
            else
                values.erase(key);
        }
        return values;
    }

    // Views are kept per file, so a host that moves the device root starts
    // from that root's files.
    Domain* find(const std::string& name) {
        if (!isPlainDomainName(name))
            return nullptr;
        std::string devicePath = std::string(kPreferencesFolder) + name + ".plist";
        auto hostPath = DeviceRoot::resolve(devicePath);
        if (!hostPath)
            return nullptr;
        auto [entry, inserted] = m_domains.try_emplace(*hostPath);
        Domain& domain = entry->second;
        if (inserted) {
            domain.devicePath = std::move(devicePath);
            domain.hostPath = *hostPath;
            load(domain);
        }
        return &domain;
    }

    void load(Domain& domain) {
        PropertyListFile::Contents contents = PropertyListFile::read(domain.hostPath);
        const FileStamp previous = domain.stamp;
        domain.stored.clear();
        domain.refused = false;
        domain.stamp = contents.stamp;
        // A file that could not even be opened is stamped from its path, so
        // it is not read again until it changes.
        if (!domain.stamp.exists)
            domain.stamp = FileStamp::of(domain.hostPath);
        // A write reads the file again; a bad one is reported once a version.
        const bool report = domain.stamp != previous;
        if (contents.status == PropertyListFile::Status::Missing)
            return;
        if (contents.status != PropertyListFile::Status::Read) {
            domain.refused = isPlainFile(domain.hostPath);
            if (report)
                log(domain,
                    PropertyListFile::describe(contents.status) + "; reading an empty domain");
            return;
        }
        if (const CFDictionary* dictionary =
                contents.value ? contents.value->dictionary() : nullptr) {
            domain.stored = *dictionary;
            return;
        }
        domain.refused = isPlainFile(domain.hostPath);
        if (report)
            log(domain, "not a dictionary; reading an empty domain");
    }

    // Keeps a file we could not read under a name of its own, so a person
    // can still recover it, before the first write replaces it.
    bool moveAside(Domain& domain) {
        std::string suffix = ".unreadable-" + timestamp(CFAbsoluteTimeGetCurrent());
        std::error_code error;
        for (int attempt = 1; attempt <= kMostAsideNames; ++attempt) {
            std::string name = attempt == 1 ? suffix : suffix + "-" + std::to_string(attempt);
            std::filesystem::path aside = domain.hostPath.string() + name;
            if (std::filesystem::exists(std::filesystem::symlink_status(aside, error)))
                continue;
            std::filesystem::rename(domain.hostPath, aside, error);
            if (error)
                break;
            log(domain, "moved the unreadable file aside to " + domain.devicePath + name);
            domain.refused = false;
            domain.stamp = FileStamp::of(domain.hostPath);
            return true;
        }
        log(domain, "could not move the unreadable file aside; leaving it unchanged");
        return false;
    }

    void log(const Domain& domain, const std::string& problem) {
        SystemLog::shared().write(std::string(kLogSource), domain.devicePath + ": " + problem);
    }

    std::mutex m_mutex;
    std::map<std::filesystem::path, Domain> m_domains;
};

} // namespace

std::optional<CFPropertyList> CFPreferencesCopyAppValue(const std::string& key,
                                                        const std::string& domain) {
    return PreferenceStore::shared().copy(key, domain);
}

void CFPreferencesSetAppValue(const std::string& key, std::optional<CFPropertyList> value,
                              const std::string& domain) {
    PreferenceStore::shared().set(key, std::move(value), domain);
}

bool CFPreferencesAppSynchronize(const std::string& domain) {
    return PreferenceStore::shared().synchronize(domain);
}

void CFPreferencesResetForTesting() {
    PreferenceStore::shared().reset();
}
