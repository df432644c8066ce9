#pragma once

// The Settings app as the end-to-end tests run it: a scenario, then a dump,
// and the preference file it wrote.

#include "platform/corefoundation/PropertyListFile.h"
#include "support/DumpNode.h"
#include "support/HostRun.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

// The row of the shown pane with this key (or, for rows without one, title).
inline std::optional<DumpNode> settingsRow(const DumpNode& dump, const std::string& keyOrTitle) {
    for (const auto& entry : dump["pane"]["rows"].asArray()) {
        if (entry["key"].asString() == keyOrTitle ||
            (entry["key"].isNull() && entry["title"].asString() == keyOrTitle))
            return entry;
    }
    return std::nullopt;
}

// Every scenario that could respring points the kill command at a program
// that does nothing, so no test ends a real process.
const std::string kSafe = "spawn-redirect /usr/bin/killall /bin/true\n";

#ifdef ROTIX_SETTINGS_PATH
class SettingsApp : public ::testing::Test {
protected:
    HostRun host{ROTIX_SETTINGS_PATH};

    // Runs the lines and dumps after them; the run must succeed.
    DumpNode runAndDump(const std::string& scenario) {
        int status = host.run(scenario + "\ndump out.json\n");
        EXPECT_EQ(status, 0) << host.standardError();
        auto dump = host.readJson("out.json");
        EXPECT_TRUE(dump.has_value());
        return dump.value_or(DumpNode());
    }

    static std::optional<DumpNode> row(const DumpNode& dump, const std::string& keyOrTitle) {
        return settingsRow(dump, keyOrTitle);
    }

    std::optional<CFPropertyList> stored(const std::string& key) const {
        auto contents = PropertyListFile::read(
            host.root() / "var/mobile/Library/Preferences/com.varlo.rotixsettings.plist");
        const CFDictionary* dictionary = contents.value ? contents.value->dictionary() : nullptr;
        const CFPropertyList* value = CFDictionaryGetValue(dictionary, key);
        return value ? std::optional<CFPropertyList>(*value) : std::nullopt;
    }
};
#endif
