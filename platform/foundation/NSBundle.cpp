#include "platform/foundation/NSBundle.h"

#include "platform/corefoundation/PropertyListFile.h"
#include "platform/device/DeviceRoot.h"
#include "platform/system/SystemLog.h"

#include <dlfcn.h>
#include <fstream>
#include <mutex>
#include <vector>

namespace {

constexpr const char* kLogSource = "NSBundle";
constexpr const char* kDefaultTable = "Localizable";
// The languages looked in, in order, before the bundle's own folder.
constexpr const char* kLocalizations[] = {"en", "English", "Base"};

std::mutex bundlesMutex;
std::map<std::filesystem::path, std::shared_ptr<NSBundle>>& bundles() {
    static std::map<std::filesystem::path, std::shared_ptr<NSBundle>> cache;
    return cache;
}

// A name that stays inside the bundle's folder.
bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<std::vector<std::uint8_t>> readBounded(const std::filesystem::path& path,
                                                     size_t maximum, std::string& problem) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        problem = "not a file";
        return std::nullopt;
    }
    auto size = std::filesystem::file_size(path, error);
    if (error) {
        problem = "unreadable";
        return std::nullopt;
    }
    if (size > maximum) {
        problem = "larger than " + std::to_string(maximum) + " bytes";
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        problem = "unreadable";
        return std::nullopt;
    }
    // One byte more than allowed is asked for, so a file that grew is refused.
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size) + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    if (bytes.size() > maximum) {
        problem = "larger than " + std::to_string(maximum) + " bytes";
        return std::nullopt;
    }
    return bytes;
}

} // namespace

NSBundle::NSBundle(std::string path, std::filesystem::path hostPath)
    : m_path(std::move(path)), m_hostPath(std::move(hostPath)) {}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const std::string& path) {
    // "X.bundle/" and "X.bundle" are one bundle.
    std::string devicePath = path;
    while (devicePath.size() > 1 && devicePath.back() == '/')
        devicePath.pop_back();
    auto hostPath = DeviceRoot::resolve(devicePath);
    std::error_code error;
    if (!hostPath || !std::filesystem::is_directory(*hostPath, error))
        return nullptr;
    std::lock_guard lock(bundlesMutex);
    auto& cache = bundles();
    if (auto found = cache.find(*hostPath); found != cache.end())
        return found->second;
    auto bundle = makeObject<NSBundle>(devicePath, *hostPath);
    cache.emplace(*hostPath, bundle);
    return bundle;
}

const CFDictionary& NSBundle::infoDictionary() {
    if (!m_info) {
        m_info.emplace();
        auto contents = PropertyListFile::read(m_hostPath / "Info.plist");
        if (contents.status == PropertyListFile::Status::Read && contents.value &&
            contents.value->dictionary()) {
            m_info = *contents.value->dictionary();
        } else {
            SystemLog::shared().write(kLogSource,
                                      m_path + "/Info.plist: " +
                                          (contents.status == PropertyListFile::Status::Read
                                               ? std::string("not a dictionary")
                                               : PropertyListFile::describe(contents.status)));
        }
    }
    return *m_info;
}

std::optional<std::string> NSBundle::objectForInfoDictionaryKey(const std::string& key) {
    const CFPropertyList* value = CFDictionaryGetValue(&infoDictionary(), key);
    if (!value || !value->string())
        return std::nullopt;
    return *value->string();
}

std::optional<std::string> NSBundle::pathForResource(const std::string& name,
                                                     const std::string& type) {
    std::string file = type.empty() ? name : name + "." + type;
    if (!isPlainFileName(file))
        return std::nullopt;
    std::error_code error;
    if (!std::filesystem::is_regular_file(m_hostPath / file, error))
        return std::nullopt;
    return m_path + "/" + file;
}

std::optional<std::filesystem::path> NSBundle::tableFile(const std::string& name) {
    std::string file = name + ".strings";
    if (!isPlainFileName(file))
        return std::nullopt;
    std::vector<std::string> folders;
    if (auto region = objectForInfoDictionaryKey("CFBundleDevelopmentRegion");
        region && isPlainFileName(*region + ".lproj"))
        folders.push_back(*region + ".lproj");
    for (const char* language : kLocalizations)
        folders.push_back(std::string(language) + ".lproj");
    folders.emplace_back();
    std::error_code error;
    for (const auto& folder : folders) {
        auto path = folder.empty() ? m_hostPath / file : m_hostPath / folder / file;
        if (std::filesystem::exists(path, error))
            return path;
    }
    return std::nullopt;
}

const StringsTable::Entries& NSBundle::table(const std::string& name) {
    if (auto found = m_tables.find(name); found != m_tables.end())
        return found->second;
    StringsTable::Entries entries;
    // A missing table is normal (the keys show); a broken one is worth a line.
    if (auto path = tableFile(name)) {
        std::string problem;
        if (auto bytes = readBounded(*path, StringsTable::kMaximumBytes, problem)) {
            if (auto parsed = StringsTable::parse(*bytes, &problem))
                entries = std::move(*parsed);
        }
        if (!problem.empty())
            SystemLog::shared().write(kLogSource, m_path + ": strings table \"" + name + "\" " +
                                                      problem + "; showing the keys");
    }
    return m_tables.emplace(name, std::move(entries)).first->second;
}

std::string NSBundle::localizedStringForKey(const std::string& key, const std::string& value,
                                            const std::string& tableName) {
    const auto& entries = table(tableName.empty() ? kDefaultTable : tableName);
    if (auto found = entries.find(key); found != entries.end())
        return found->second;
    return value.empty() ? key : value;
}

bool NSBundle::isLoaded() const {
    return m_loaded;
}

bool NSBundle::load() {
    if (m_loaded)
        return true;
    auto executable = objectForInfoDictionaryKey("CFBundleExecutable");
    if (!executable || !isPlainFileName(*executable)) {
        SystemLog::shared().write(kLogSource, m_path + ": no executable named in Info.plist");
        return false;
    }
    auto path = m_hostPath / *executable;
    // The process keeps a loaded bundle for its whole life, as the platform does.
    if (!dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        const char* message = dlerror();
        SystemLog::shared().write(kLogSource, m_path + "/" + *executable + ": " +
                                                  (message ? message : "cannot be loaded"));
        return false;
    }
    m_loaded = true;
    return true;
}

Class NSBundle::principalClass() {
    auto name = objectForInfoDictionaryKey("NSPrincipalClass");
    if (!name || !load())
        return nullptr;
    Class cls = objc_getClass(*name);
    if (!cls)
        SystemLog::shared().write(kLogSource, m_path + ": no class named " + *name);
    return cls;
}
