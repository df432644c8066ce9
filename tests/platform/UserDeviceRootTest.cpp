#include "platform/device/UserDeviceRoot.h"

#include "platform/device/DeviceImage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class UserDeviceRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = fs::temp_directory_path() /
                   ("rotix-user-root-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    static void write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    fs::path m_folder;
};

// An upgrade brings the new image's files and drops the ones it no longer
// has, while what the person set stays.
TEST_F(UserDeviceRootTest, ANewImageReplacesItsPartsAndKeepsThePreferences) {
    const fs::path image = m_folder / "image";
    const fs::path root = m_folder / "state" / "rotix";
    const std::string picture = "Library/Application Support/Rotix2/play.png";
    const std::string retired = "Library/Retired/old.plist";
    const std::string preferences = "var/mobile/Library/Preferences/com.varlo.rotixsettings.plist";
    write(image / picture, "first");
    write(image / retired, "retired");
    write(image / DeviceImage::kVersionFile, "1.0.0 first\n");

    ASSERT_FALSE(UserDeviceRoot::prepare(root, image));
    EXPECT_EQ(read(root / picture), "first");
    EXPECT_EQ(DeviceImage::version(root), "1.0.0 first");
    write(root / preferences, "titley 300");

    write(image / picture, "second");
    fs::remove_all(image / "Library/Retired");
    write(image / DeviceImage::kVersionFile, "1.0.0 second\n");
    ASSERT_FALSE(UserDeviceRoot::prepare(root, image));

    EXPECT_EQ(read(root / picture), "second");
    EXPECT_FALSE(fs::exists(root / retired));
    EXPECT_EQ(read(root / preferences), "titley 300");
    EXPECT_EQ(DeviceImage::version(root), "1.0.0 second");
    EXPECT_EQ(read(image / picture), "second");
}

// Where desktop programs keep their state: an absolute XDG_STATE_HOME, else
// the home folder's .local/state; a relative one counts as unset.
TEST(UserDeviceRootFolder, IsXdgStateHomeElseTheHomeFoldersLocalState) {
    using Environment = std::map<std::string, std::string>;
    auto folderWith = [](const Environment& values) {
        return UserDeviceRoot::folder([&](const char* name) -> std::optional<std::string> {
            auto found = values.find(name);
            return found == values.end() ? std::nullopt : std::optional(found->second);
        });
    };
    EXPECT_EQ(folderWith({{"XDG_STATE_HOME", "/s"}, {"HOME", "/h"}}), fs::path("/s/rotix"));
    EXPECT_EQ(folderWith({{"HOME", "/h"}}), fs::path("/h/.local/state/rotix"));
    EXPECT_EQ(folderWith({{"XDG_STATE_HOME", "state"}, {"HOME", "/h"}}),
              fs::path("/h/.local/state/rotix"));
    EXPECT_EQ(folderWith({{"XDG_STATE_HOME", ""}, {"HOME", "/h"}}),
              fs::path("/h/.local/state/rotix"));
    EXPECT_EQ(folderWith({}), std::nullopt);
}

} // namespace
