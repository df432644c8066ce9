#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/foundation/StringsTable.h"
#include "platform/objc/Runtime.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

// A bundle folder on the device: its description (Info.plist), its strings
// tables and, for a loadable bundle, its executable. One object per folder,
// as the platform keeps them, so an executable is loaded once. Used from the
// main thread.
class NSBundle : public NSObject {
public:
    // +bundleWithPath: the bundle at a device path, or nothing when there is
    // no folder there.
    static std::shared_ptr<NSBundle> bundleWithPath(const std::string& path);

    const std::string& bundlePath() const { return m_path; }

    // -localizedStringForKey:value:table: the table's text for the key, from
    // the table named (the default "Localizable" when the name is empty).
    // A table or key that is missing gives the value, or the key itself when
    // the value is empty.
    std::string localizedStringForKey(const std::string& key, const std::string& value,
                                      const std::string& table);

    // -infoDictionary: empty when Info.plist is missing or malformed.
    const CFDictionary& infoDictionary();
    std::optional<std::string> objectForInfoDictionaryKey(const std::string& key);

    // -pathForResource:ofType: the device path of a file in the bundle's
    // folder, or nothing when there is none.
    std::optional<std::string> pathForResource(const std::string& name, const std::string& type);

    // -load: loads the executable Info.plist names, whose initialisers
    // register its classes. True once loaded.
    bool load();
    bool isLoaded() const;
    // -principalClass: loads the bundle and answers the class its Info.plist
    // names, or nothing.
    Class principalClass();

    std::string_view className() const override { return "NSBundle"; }

protected:
    NSBundle(std::string path, std::filesystem::path hostPath);

private:
    const StringsTable::Entries& table(const std::string& name);
    std::optional<std::filesystem::path> tableFile(const std::string& name);

    std::string m_path;
    std::filesystem::path m_hostPath;
    std::optional<CFDictionary> m_info;
    std::map<std::string, StringsTable::Entries> m_tables;
    bool m_loaded = false;
};
