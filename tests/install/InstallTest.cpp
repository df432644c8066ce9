#include "support/DumpNode.h"
#include "support/ProgramRun.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>

// The installed tree and the Debian package, each in a scratch folder of its
// own and run with a home folder of their own: what a person gets from
// `cmake --install` and from the package.

namespace {

namespace fs = std::filesystem;

const std::string kImageStamp = "share/rotix/device-root/.rotix-image";
const std::string kStateRoot = ".local/state/rotix";
const std::string kLockScreen = "device iphone-7-plus\nplaylist demo\nplay\nwait 1\ndump -\n";

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Every file and folder under a tree with its size and time of change, to
// tell whether anything wrote into it.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> listing(const fs::path& tree) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(tree)) {
        std::uintmax_t size = entry.is_regular_file() ? entry.file_size() : 0;
        entries[fs::relative(entry.path(), tree).string()] = {size, entry.last_write_time()};
    }
    return entries;
}

// The player's title label in a lock screen's dump.
std::optional<DumpNode> titleLabel(const DumpNode& tree, const std::string& title) {
    if (tree["class"].asString() == "UILabel" && tree["text"].asString() == title)
        return tree;
    for (const auto& view : tree["subviews"].asArray()) {
        if (std::optional<DumpNode> found = titleLabel(view, title))
            return found;
    }
    return std::nullopt;
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = fs::temp_directory_path() /
                   ("rotix-install-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(m_folder / "home");
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    // Runs a program with the scratch home as the only home it knows of.
    ProgramRun run(const std::vector<std::string>& arguments,
                   std::map<std::string, std::optional<std::string>> environment = {}) const {
        environment["HOME"] = (m_folder / "home").string();
        environment["XDG_STATE_HOME"] = std::nullopt;
        return ProgramRun::run(arguments, environment, std::chrono::seconds(120));
    }

    fs::path writeScenario(const std::string& name, const std::string& text) const {
        std::ofstream(m_folder / name) << text;
        return m_folder / name;
    }

    fs::path m_folder;
};

// Installed, then moved elsewhere: the programs find their library and image
// beside them, keep what the Settings app set under the home folder where
// the lock screen reads it, and write nothing into the installed tree.
TEST_F(Installed, ProgramsRunFromAnyPrefixAndKeepTheirStateInTheHome) {
    ProgramRun install = run({ROTIX_CMAKE, "--install", ROTIX_BUILD_FOLDER_PATH, "--prefix",
                              (m_folder / "prefix").string()});
    ASSERT_EQ(install.status, 0) << install.errors;
    const fs::path prefix = m_folder / "moved";
    fs::rename(m_folder / "prefix", prefix);
    const auto before = listing(prefix);

    const std::string settings = (prefix / "bin/rotix-settings").string();
    auto colour = writeScenario("colour.scn", "open Labels\nset titleColor #ff8000\n");
    ProgramRun set = run({settings, "--scenario", colour.string()});
    ASSERT_EQ(set.status, 0) << set.errors;
    ProgramRun lockScreen = run({(prefix / "bin/rotix").string(), "--scenario",
                                 writeScenario("lock.scn", kLockScreen).string()});
    ASSERT_EQ(lockScreen.status, 0) << lockScreen.errors;
    auto dump = DumpNode::parse(lockScreen.output);
    ASSERT_TRUE(dump);
    std::optional<DumpNode> title =
        titleLabel((*dump)["window"], (*dump)["player"]["labels"]["title"].asString());
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ((*title)["textColor"].asString(), "#FF8000");

    const fs::path state = m_folder / "home" / kStateRoot;
    EXPECT_TRUE(fs::exists(state / "var/mobile/Library/Preferences/com.varlo.rotixsettings.plist"));
    EXPECT_EQ(readText(state / ".rotix-image"), readText(prefix / kImageStamp));

    // Without arguments both hosts are windows, so with no display they say
    // that rather than how to call them.
    for (const char* host : {"bin/rotix", "bin/rotix-settings"}) {
        ProgramRun window =
            run({(prefix / host).string()},
                {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}});
        EXPECT_EQ(window.status, 2) << host;
        EXPECT_NE(window.errors.find("no display"), std::string::npos) << window.errors;
    }
    for (const char* tool :
         {"bin/rotix-blur", "bin/rotix-palette", "bin/rotix-activator", "bin/rotix-saver"})
        EXPECT_EQ(run({(prefix / tool).string(), "--help"}).status, 0) << tool;

    EXPECT_TRUE(listing(prefix) == before) << "something was written into the installed tree";
}

// The Debian package: its dependencies come from its binaries, and unpacked
// anywhere its lock screen runs and keeps its state in the home folder.
TEST_F(Installed, ThePackageRunsUnpackedAndKeepsItsStateInTheHome) {
    ProgramRun package = run({ROTIX_CPACK, "-G", "DEB", "--config",
                              std::string(ROTIX_BUILD_FOLDER_PATH) + "/CPackConfig.cmake", "-B",
                              (m_folder / "package").string()});
    ASSERT_EQ(package.status, 0) << package.output << package.errors;
    const fs::path file = m_folder / "package" / ("rotix_" ROTIX_VERSION "_amd64.deb");
    ASSERT_TRUE(fs::exists(file)) << package.output;
    ProgramRun depends = run({"/usr/bin/dpkg-deb", "--field", file.string(), "Depends"});
    ASSERT_EQ(depends.status, 0) << depends.errors;
    EXPECT_NE(depends.output.find("libcairo2"), std::string::npos) << depends.output;
    EXPECT_NE(depends.output.find("libsdl2"), std::string::npos) << depends.output;

    const fs::path unpacked = m_folder / "unpacked";
    ProgramRun unpack = run({"/usr/bin/dpkg", "-x", file.string(), unpacked.string()});
    ASSERT_EQ(unpack.status, 0) << unpack.errors;
    ProgramRun lockScreen = run({(unpacked / "usr/bin/rotix").string(), "--scenario",
                                 writeScenario("lock.scn", kLockScreen).string()});
    ASSERT_EQ(lockScreen.status, 0) << lockScreen.errors;
    auto dump = DumpNode::parse(lockScreen.output);
    ASSERT_TRUE(dump);
    EXPECT_TRUE(titleLabel((*dump)["window"], (*dump)["player"]["labels"]["title"].asString()));
    EXPECT_EQ(readText(m_folder / "home" / kStateRoot / ".rotix-image"),
              readText(unpacked / "usr" / kImageStamp));
}

} // namespace
