#include "platform/corefoundation/CFPreferences.h"

#include "platform/corefoundation/PropertyListFile.h"
#include "platform/device/DeviceRoot.h"
#include "platform/foundation/SystemLog.h"

#include <filesystem>
#include <map>
#include <mutex>

namespace {

constexpr std::string_view kPreferencesFolder = "/var/mobile/Library/Preferences/";
constexpr std::string_view kLogSource = "CFPreferences";

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

        CFDictionary merged = domain->stored;
        for (auto& [key, value] : domain->pending) {
            if (value)
                merged.insert_or_assign(key, *value);
            else
                merged.erase(key);
        }
        // Nothing changes: leave the file (even one we could not read) alone.
        if (merged == domain->stored) {
            domain->pending.clear();
            return true;
        }
        auto bytes = PropertyListFile::serialize(CFPropertyList(merged));
        if (!bytes || bytes->size() > PropertyListFile::kMaximumBytes) {
            log(*domain, "values too large or nested too deeply to store");
            return false;
        }
        auto stamp = PropertyListFile::writeAtomically(domain->hostPath, *bytes);
        if (!stamp) {
            log(*domain, "could not write the file");
            return false;
        }
        domain->stored = std::move(merged);
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
    };

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
        domain.stored.clear();
        domain.stamp = contents.stamp;
        // A file that could not even be opened is stamped from its path, so
        // it is not read (and reported) again until it changes.
        if (!domain.stamp.exists)
            domain.stamp = FileStamp::of(domain.hostPath);
        if (contents.status == PropertyListFile::Status::Missing)
            return;
        if (contents.status != PropertyListFile::Status::Read) {
            log(domain, PropertyListFile::describe(contents.status) + "; reading an empty domain");
            return;
        }
        if (const CFDictionary* dictionary =
                contents.value ? contents.value->dictionary() : nullptr) {
            domain.stored = *dictionary;
            return;
        }
        log(domain, "not a dictionary; reading an empty domain");
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
