#pragma once

#include "platform/corefoundation/CFPreferences.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/posix/ProcessSpawn.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"
#include "settings/RotixSettingsBundle.h"
#include "support/ManualClockFixture.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>

// A device root with the settings bundle's own plists and strings installed,
// a fresh application object (only the web installed), no alerts, no spawn
// records and a phone that can send mail.
class SettingsTest : public ManualClockTest {
protected:
    static constexpr const char* kMainDomain = "com.varlo.rotixsettings";
    static constexpr const char* kSecondDomain = "com.varlo.rotixsettings2";

    void SetUp() override {
        ManualClockTest::SetUp();
        CFPreferencesResetForTesting();
        m_bundle = root() / "Library/PreferenceBundles/RotixSettings.bundle";
        std::filesystem::create_directories(m_bundle);
        std::filesystem::copy(ROTIX_SETTINGS_RESOURCES, m_bundle,
                              std::filesystem::copy_options::recursive);
        UIApplication::setSharedApplication(UIApplication::create());
        UIApplication::sharedApplication()->setInstalledSchemes({"http", "https", "cydia"});
        UIAlertView::dismissAllForTesting();
        ProcessSpawn::clearRecords();
        ProcessSpawn::clearRedirects();
        MFMailComposeViewController::setCanSendMail(true);
        setDevice(UIDeviceProfile::iPhone7Plus());
        // As the bundle's initialiser does when the Settings app loads it.
        RotixSettingsRegisterClasses();
    }

    void TearDown() override {
        UIAlertView::dismissAllForTesting();
        ProcessSpawn::clearRedirects();
        // Children the tests spawned are reaped here, whatever the waits
        // the code under test made.
        for (const auto& record : ProcessSpawn::records()) {
            if (record.pid > 0)
                ::waitpid(record.pid, nullptr, 0);
        }
        ProcessSpawn::clearRecords();
        CFPreferencesResetForTesting();
        ManualClockTest::TearDown();
    }

    static void setDevice(const UIDeviceProfile& profile) {
        UIScreen::mainScreen()->setProfile(profile);
        UIDevice::currentDevice()->setProfile(profile);
    }

    static void install(std::set<std::string> schemes) {
        schemes.insert({"http", "https", "cydia"});
        UIApplication::sharedApplication()->setInstalledSchemes(std::move(schemes));
    }

    static std::vector<std::string> openedURLs() {
        return UIApplication::sharedApplication()->openedURLs();
    }

    void removeStringsTable() { std::filesystem::remove_all(m_bundle / "en.lproj"); }

    void writeBundleFile(const std::string& name, const std::string& text) {
        std::ofstream(m_bundle / name, std::ios::binary | std::ios::trunc) << text;
    }

    // What the preference file on disk holds, read as another program would.
    std::optional<CFPropertyList> storedOnDisk(const std::string& key,
                                               const std::string& domain = kMainDomain) const {
        auto contents =
            PropertyListFile::read(root() / "var/mobile/Library/Preferences" / (domain + ".plist"));
        const CFDictionary* dictionary = contents.value ? contents.value->dictionary() : nullptr;
        const CFPropertyList* value = CFDictionaryGetValue(dictionary, key);
        return value ? std::optional<CFPropertyList>(*value) : std::nullopt;
    }

    // Another program writing the domain, as the home screen or a tool would.
    void writeExternally(const std::string& key, CFPropertyList value,
                         const std::string& domain = kMainDomain) {
        auto path = root() / "var/mobile/Library/Preferences" / (domain + ".plist");
        auto contents = PropertyListFile::read(path);
        CFDictionary dictionary;
        if (contents.value && contents.value->dictionary())
            dictionary = *contents.value->dictionary();
        dictionary.insert_or_assign(key, std::move(value));
        auto bytes = PropertyListFile::serialize(CFPropertyList(dictionary));
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(PropertyListFile::writeAtomically(path, *bytes));
    }

    int countLog(const std::string& text) const {
        int count = 0;
        for (const auto& line : SystemLog::shared().lines()) {
            if ((line.source + ": " + line.text).find(text) != std::string::npos)
                ++count;
        }
        return count;
    }

    std::filesystem::path m_bundle;
};
