#include "platform/foundation/NSBundle.h"

#include "support/ManualClockFixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class NSBundleTest : public ManualClockTest {
protected:
    void SetUp() override {
        ManualClockTest::SetUp();
        m_folder = root() / "Library/PreferenceBundles/Sample.bundle";
        std::filesystem::create_directories(m_folder);
    }

    void write(const std::string& name, const std::string& text) {
        auto path = m_folder / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }

    std::shared_ptr<NSBundle> bundle() {
        return NSBundle::bundleWithPath("/Library/PreferenceBundles/Sample.bundle");
    }

    int countLog(const std::string& text) const {
        int count = 0;
        for (const auto& line : SystemLog::shared().lines()) {
            if (line.text.find(text) != std::string::npos)
                ++count;
        }
        return count;
    }

    std::filesystem::path m_folder;
};

TEST_F(NSBundleTest, ABundleIsAFolderOnTheDeviceAndOneObjectPerFolder) {
    EXPECT_EQ(NSBundle::bundleWithPath("/Library/PreferenceBundles/Missing.bundle"), nullptr);
    EXPECT_EQ(NSBundle::bundleWithPath("relative/Sample.bundle"), nullptr);
    auto first = bundle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->bundlePath(), "/Library/PreferenceBundles/Sample.bundle");
    EXPECT_EQ(NSBundle::bundleWithPath("/Library/PreferenceBundles/Sample.bundle/"), first);
}

TEST_F(NSBundleTest, StringsComeFromTheLanguageFolderFirst) {
    write("Localizable.strings", "\"YES\" = \"Top\"; \"ONLY\" = \"top only\";");
    write("en.lproj/Localizable.strings", "\"YES\" = \"Yes\";");
    auto strings = bundle();
    // The first table found is the table: keys of the others do not mix in.
    EXPECT_EQ(strings->localizedStringForKey("YES", "", ""), "Yes");
    EXPECT_EQ(strings->localizedStringForKey("ONLY", "", ""), "ONLY");
}

TEST_F(NSBundleTest, TheBundleFolderServesWhenNoLanguageHasATable) {
    write("Localizable.strings", "\"YES\" = \"Top\";");
    EXPECT_EQ(bundle()->localizedStringForKey("YES", "", ""), "Top");
}

TEST_F(NSBundleTest, AMissingKeyOrTableGivesTheValueOrElseTheKey) {
    write("en.lproj/Localizable.strings", "\"YES\" = \"Yes\";");
    auto strings = bundle();
    EXPECT_EQ(strings->localizedStringForKey("NO", "", ""), "NO");
    EXPECT_EQ(strings->localizedStringForKey("NO", "Nope", ""), "Nope");
    EXPECT_EQ(strings->localizedStringForKey("YES", "", "Other"), "YES");
    EXPECT_EQ(strings->localizedStringForKey("YES", "", "../../escape"), "YES");
    EXPECT_EQ(countLog("strings table"), 0);
}

TEST_F(NSBundleTest, ANamedTableIsItsOwnFile) {
    write("en.lproj/Alerts.strings", "\"YES\" = \"Sure\";");
    EXPECT_EQ(bundle()->localizedStringForKey("YES", "", "Alerts"), "Sure");
    EXPECT_EQ(bundle()->localizedStringForKey("YES", "", ""), "YES");
}

TEST_F(NSBundleTest, ABrokenTableShowsTheKeysAndSaysSoOnce) {
    write("en.lproj/Localizable.strings", "\"YES\" = \"Yes\"\n\"NO\" = \"No\";");
    auto strings = bundle();
    EXPECT_EQ(strings->localizedStringForKey("YES", "", ""), "YES");
    EXPECT_EQ(strings->localizedStringForKey("NO", "", ""), "NO");
    EXPECT_EQ(countLog("strings table \"Localizable\""), 1);
}

TEST_F(NSBundleTest, ATableThatIsNotAFileShowsTheKeys) {
    std::filesystem::create_directories(m_folder / "en.lproj/Localizable.strings");
    EXPECT_EQ(bundle()->localizedStringForKey("YES", "", ""), "YES");
}

TEST_F(NSBundleTest, TheDevelopmentRegionOfInfoPlistIsLookedInFirst) {
    write("Info.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                        "<key>CFBundleDevelopmentRegion</key><string>fr</string></dict></plist>");
    write("fr.lproj/Localizable.strings", "\"YES\" = \"Oui\";");
    write("en.lproj/Localizable.strings", "\"YES\" = \"Yes\";");
    EXPECT_EQ(bundle()->localizedStringForKey("YES", "", ""), "Oui");
}

TEST_F(NSBundleTest, ResourcesStayInsideTheFolder) {
    write("Clock.plist", "x");
    EXPECT_EQ(bundle()->pathForResource("Clock", "plist"),
              "/Library/PreferenceBundles/Sample.bundle/Clock.plist");
    EXPECT_EQ(bundle()->pathForResource("Labels", "plist"), std::nullopt);
    EXPECT_EQ(bundle()->pathForResource("../Sample.bundle/Clock", "plist"), std::nullopt);
}

TEST_F(NSBundleTest, APrincipalClassNeedsAnExecutableThatLoads) {
    write("Info.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                        "<key>CFBundleExecutable</key><string>Sample</string>"
                        "<key>NSPrincipalClass</key><string>NSObject</string></dict></plist>");
    write("Sample", "not a library");
    auto sample = bundle();
    EXPECT_EQ(sample->objectForInfoDictionaryKey("NSPrincipalClass"), "NSObject");
    EXPECT_EQ(sample->principalClass(), nullptr);
    EXPECT_FALSE(sample->isLoaded());
    EXPECT_EQ(countLog("Sample.bundle/Sample"), 1);
}

TEST_F(NSBundleTest, AnExecutableNameCannotLeaveTheFolder) {
    write("Info.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                        "<key>CFBundleExecutable</key><string>../../x</string></dict></plist>");
    EXPECT_FALSE(bundle()->load());
    EXPECT_EQ(countLog("no executable named"), 1);
}

TEST_F(NSBundleTest, AMalformedInfoPlistIsAnEmptyDescription) {
    write("Info.plist", "<plist><dict><key>CFBundleExecutable</key>");
    EXPECT_TRUE(bundle()->infoDictionary().empty());
    EXPECT_EQ(bundle()->principalClass(), nullptr);
}

} // namespace
