#include "support/HostRun.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace {

// The names a shared library defines in its dynamic symbol table: what the
// dynamic linker, and nm -D, see.
std::set<std::string> exportedNames(const std::filesystem::path& library) {
    std::ifstream file(library, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::set<std::string> names;
    Elf64_Ehdr header;
    if (bytes.size() < sizeof header)
        return names;
    std::memcpy(&header, bytes.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_shoff + header.e_shnum * sizeof(Elf64_Shdr) > bytes.size())
        return names;
    auto section = [&](std::size_t index) {
        Elf64_Shdr found;
        std::memcpy(&found, bytes.data() + header.e_shoff + index * sizeof found, sizeof found);
        return found;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr symbols = section(i);
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_link >= header.e_shnum)
            continue;
        Elf64_Shdr strings = section(symbols.sh_link);
        for (std::size_t at = 0; at + sizeof(Elf64_Sym) <= symbols.sh_size;
             at += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, bytes.data() + symbols.sh_offset + at, sizeof symbol);
            if (symbol.st_shndx != SHN_UNDEF && symbol.st_name < strings.sh_size)
                names.insert(bytes.data() + strings.sh_offset + symbol.st_name);
        }
    }
    return names;
}

class SpringBoard : public ::testing::Test {
protected:
    HostRun host{ROTIX_SPRINGBOARD_PATH};

    DumpNode runAndDump(const std::string& scenario,
                        const std::vector<std::string>& arguments = {}) {
        int status = host.run(scenario + "\ndump out.json\n", arguments);
        EXPECT_EQ(status, 0) << host.standardError();
        auto dump = host.readJson("out.json");
        EXPECT_TRUE(dump.has_value());
        return dump.value_or(DumpNode());
    }
};

const std::string kSetup = "device iphone-7-plus\nplaylist demo\nplay\nwait 1\n";

// A PNG's width and height, from its header.
std::pair<unsigned, unsigned> pngSize(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    char header[24] = {};
    file.read(header, sizeof header);
    EXPECT_EQ(std::string(header + 1, 3), "PNG");
    auto be32 = [&](int at) {
        return (unsigned char)header[at] << 24 | (unsigned char)header[at + 1] << 16 |
               (unsigned char)header[at + 2] << 8 | (unsigned char)header[at + 3];
    };
    return {be32(16), be32(20)};
}

TEST_F(SpringBoard, ABadLineStopsTheRunWithItsLineNumber) {
    EXPECT_EQ(host.run("device iphone-7\nwait 1\nwobble 3\nwait 1\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:3: unknown command 'wobble'"),
              std::string::npos)
        << host.standardError();
    EXPECT_EQ(host.run("# a comment\n\nwait soon\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:3:"), std::string::npos);
    EXPECT_EQ(host.run("tap 10\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:1: usage: tap X Y"), std::string::npos);
    EXPECT_EQ(host.run("wait 1\ndevice iphone-se\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:2:"), std::string::npos);
    EXPECT_EQ(host.run("device toaster\n"), 2);
    EXPECT_EQ(host.run("pref com.varlo.rotixsettings radius int twelve\n"), 2);
    EXPECT_EQ(host.run("up 10 10\n"), 2);
    // A finger stays down as long as a person's does, not for a day.
    EXPECT_EQ(host.run("hold 207 455 61\n"), 2);
    EXPECT_NE(host.standardError().find("at most 60 seconds"), std::string::npos);
}

TEST_F(SpringBoard, ABadLineIsEchoedShortWithItsControlBytesEscaped) {
    EXPECT_EQ(host.run("device \x1B[31m" + std::string(1000, 'x') + "\n"), 2);
    const std::string& error = host.standardError();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_EQ(error.find(std::string(100, 'x')), std::string::npos) << error;
    EXPECT_NE(error.find("xxx'..."), std::string::npos) << error;
    EXPECT_NE(error.find("'\\x1B[31mxxx"), std::string::npos) << error;
    EXPECT_EQ(error.find('\x1B'), std::string::npos) << error;
}

TEST_F(SpringBoard, InputThatIsNoScenarioAndARootThatIsNoFolderAreRefused) {
    EXPECT_EQ(host.run("# " + std::string(70 * 1024, 'x') + "\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:1: a line is at most 64 KiB"),
              std::string::npos)
        << host.standardError();
    auto big = host.folder() / "big.scn";
    std::ofstream(big).close();
    std::filesystem::resize_file(big, 17 << 20);
    EXPECT_EQ(host.run("", {"--scenario", big.string()}), 2);
    EXPECT_NE(host.standardError().find("at most 16 MiB"), std::string::npos);
    EXPECT_EQ(host.run("", {"--scenario", host.folder().string()}), 2);
    EXPECT_NE(host.standardError().find("a folder, not a scenario"), std::string::npos);
    for (const auto& root : {host.folder() / "missing", host.folder() / "scenario.scn"}) {
        EXPECT_EQ(host.run("dump out.json\n", {"--root", root.string()}), 2);
        EXPECT_NE(host.standardError().find("the device root"), std::string::npos);
    }
}

// Every test copies the build's image, so no host may write into it: given as
// the root, it is refused before anything runs.
TEST_F(SpringBoard, TheProgramsOwnImageIsRefusedAsARoot) {
    EXPECT_EQ(host.run("dump out.json\n", {"--root", ROTIX_BUILD_DEVICE_ROOT}), 2);
    EXPECT_NE(host.standardError().find("is the program's image"), std::string::npos)
        << host.standardError();
    EXPECT_FALSE(std::filesystem::exists(host.folder() / "out.json"));
}

TEST_F(SpringBoard, ADumpThatCannotBeWrittenFailsTheRun) {
    for (const std::string output : {">/dev/full", ">&-"}) {
        EXPECT_EQ(host.run("dump -\n", {}, output), 2) << output;
        EXPECT_NE(host.standardError().find("cannot write to standard output"), std::string::npos)
            << host.standardError();
    }
}

TEST_F(SpringBoard, TextThatIsNotUTF8IsMendedBeforeItIsShownOrDumped) {
    DumpNode dump = runAndDump("clear\ntrack \xFF\xFE\xC3(|Artist|100|none\nplay\nwait 1\n");
    const std::string mended = "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD(";
    EXPECT_EQ(dump["nowPlaying"]["title"].asString(), mended);
    EXPECT_EQ(dump["player"]["labels"]["title"].asString(), mended);
}

TEST_F(SpringBoard, ALogLineThatIsNotUTF8IsMendedInTheDump) {
    // A library the substrate cannot load is logged by its file name, which
    // is whatever bytes the folder holds.
    const auto libraries = host.root() / "Library/MobileSubstrate/DynamicLibraries";
    std::filesystem::copy_file(libraries / "RotixiOS10.plist", libraries / "Bad\xFF.plist");
    std::ofstream(libraries / "Bad\xFF.dylib") << "not a library";
    DumpNode dump = runAndDump(kSetup);
    EXPECT_EQ(countLogLines(dump, "Bad\xEF\xBF\xBD.dylib"), 1);
}

TEST_F(SpringBoard, SnapshotIsAPictureOfTheScreenAtItsScale) {
    ASSERT_EQ(host.run("device iphone-se\nsnapshot shot.png\n"), 0) << host.standardError();
    EXPECT_EQ(pngSize(host.folder() / "shot.png"), std::make_pair(640u, 1136u));
}

// A tablet, and a phone with the "landscape" setting, turn the screen with
// the device: the lock screen and the player lay out in the turned shape and
// the snapshot shows it. Lying flat keeps the last way up; a tablet upside
// down stands portrait again.
TEST_F(SpringBoard, ATabletOrAnAllowedPhoneTurnsItsScreenWithTheDevice) {
    ASSERT_EQ(host.run("device ipad\nplaylist demo\norientation landscape-left\n"
                       "snapshot pad.png\ndump pad.json\norientation face-up\ndump flat.json\n"
                       "orientation upside-down\ndump upside.json\n"),
              0)
        << host.standardError();
    DumpNode pad = host.readJson("pad.json").value();
    EXPECT_EQ(pad["device"]["screen"].serialize(0), "[0,0,1024,768]\n");
    EXPECT_EQ(pad["window"]["frame"].serialize(0), "[0,0,1024,768]\n");
    // The player keeps the upright screen's size, centred across the turned
    // one, so its landscape layout lands inside the screen.
    std::optional<DumpNode> player = findView(pad["window"], "Rotix");
    std::optional<DumpNode> ring = findView(pad["window"], "UICircularSlider");
    ASSERT_TRUE(player && ring);
    EXPECT_EQ((*player)["frame"].serialize(0), "[128,0,768,1024]\n");
    EXPECT_EQ((*ring)["frame"].serialize(0), "[192,287,384,384]\n");
    EXPECT_EQ(pngSize(host.folder() / "pad.png"), std::make_pair(2048u, 1536u));
    EXPECT_EQ(host.readJson("flat.json").value()["device"]["screen"].serialize(0),
              "[0,0,1024,768]\n");
    EXPECT_EQ(host.readJson("upside.json").value()["device"]["screen"].serialize(0),
              "[0,0,768,1024]\n");

    ASSERT_EQ(host.run("device iphone-7-plus\npref com.varlo.rotixsettings landscape bool true\n"
                       "playlist demo\norientation landscape-right\nsnapshot phone.png\n"
                       "dump phone.json\n"),
              0)
        << host.standardError();
    DumpNode phone = host.readJson("phone.json").value();
    EXPECT_EQ(phone["device"]["screen"].serialize(0), "[0,0,736,414]\n");
    player = findView(phone["window"], "Rotix");
    ring = findView(phone["window"], "UICircularSlider");
    ASSERT_TRUE(player && ring);
    // Centred across the turned screen, its lower edge on the player's middle
    // line, which leaves it whole inside the screen.
    EXPECT_EQ((*player)["frame"].serialize(0), "[161,0,414,736]\n");
    EXPECT_EQ((*ring)["frame"].serialize(0), "[42,38,330,330]\n");
    EXPECT_EQ(pngSize(host.folder() / "phone.png"), std::make_pair(2208u, 1242u));
}

TEST_F(SpringBoard, TheExtensionPutsThePlayerIntoTheMediaControlsPage) {
    DumpNode dump = runAndDump(kSetup);
    ASSERT_EQ(dump["extensions"].size(), 1u);
    EXPECT_EQ(dump["extensions"][0].asString(), "RotixiOS10");
    std::optional<DumpNode> page = findView(dump["window"], "UIView");
    ASSERT_TRUE(page.has_value());
    // The player is the page's only content, in a plain clear root view.
    std::optional<DumpNode> player = findView(dump["window"], "Rotix");
    ASSERT_TRUE(player);
    EXPECT_EQ((*player)["frame"][2].asNumber(), 414);
    EXPECT_FALSE(findView(dump["window"], "MPUSystemMediaControlsViewController"));
    const DumpNode& pages = dump["lockScreen"]["mediaControlsPages"];
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0]["subviews"].size(), 1u);
    EXPECT_EQ(pages[0]["subviews"][0].asString(), "Rotix");
    EXPECT_EQ(dump["player"]["labels"]["title"].asString(), "Paper Lanterns");
    EXPECT_TRUE(dump["player"]["tickTimerRunning"].asBool());
    EXPECT_EQ(countLogLines(dump, "nil class"), 0);
}

TEST_F(SpringBoard, TheExtensionExportsItsPlainFunctionsUnderTheirCNames) {
    auto names =
        exportedNames(host.root() / "Library/MobileSubstrate/DynamicLibraries/RotixiOS10.dylib");
    for (const char* name :
         {"wAdjust", "hAdjust", "translateValueFromSourceIntervalToDestinationInterval",
          "angleBetweenThreePoints", "neighbourIndices"})
        EXPECT_EQ(names.count(name), 1u) << name;
}

TEST_F(SpringBoard, WithoutTheExtensionThePageShowsTheSystemControls) {
    std::filesystem::remove(host.root() /
                            "Library/MobileSubstrate/DynamicLibraries/RotixiOS10.plist");
    DumpNode dump = runAndDump(kSetup);
    EXPECT_EQ(dump["extensions"].size(), 0u);
    EXPECT_FALSE(findView(dump["window"], "Rotix"));
    EXPECT_TRUE(dump["player"].isNull());
}

TEST_F(SpringBoard, TheDateShowsAOneDigitDayWithoutPadding) {
    // Without the player, whose ticks would make three days of clock slow.
    std::filesystem::remove(host.root() /
                            "Library/MobileSubstrate/DynamicLibraries/RotixiOS10.plist");
    // The manual clock starts on Friday 28 November, 05:20. The clock keeps
    // time by itself, not only when a scenario waits: a finger held for a
    // minute moves it on too.
    DumpNode dump = runAndDump("wait 86400\nwait 86400\nwait 86400\nhold 200 700 60\n");
    EXPECT_EQ(dump["lockScreen"]["date"].asString(), "Monday, 1 December");
    EXPECT_EQ(dump["lockScreen"]["clock"].asString(), "05:21");
}

TEST_F(SpringBoard, AMissingClassIsLoggedOncePerReplacementAndTheRestStillWork) {
    DumpNode dump = runAndDump(kSetup + "post rotixToggle isHidden bool true\n",
                               {"--omit-class", "SBDashBoardMediaControlsViewController"});
    const std::string line = "[RotixiOS10: Tweak:154] ERROR: logos: nil class "
                             "SBDashBoardMediaControlsViewController";
    EXPECT_EQ(countLogLines(dump, line), 2);
    EXPECT_EQ(countLogLines(dump, "nil class"), 2);
    // No page, so no player; the toggle still reaches the notification list.
    EXPECT_FALSE(findView(dump["window"], "Rotix"));
    EXPECT_FALSE(dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool());
}

TEST_F(SpringBoard, EachMissingClassIsNamedInTheLog) {
    DumpNode dump =
        runAndDump("wait 1\n", {"--omit-class", "SBPagedScrollView", "--omit-class", "SpringBoard",
                                "--omit-class", "SBDashBoardNotificationListViewController"});
    EXPECT_EQ(countLogLines(dump, "nil class SBPagedScrollView"), 1);
    EXPECT_EQ(countLogLines(dump, "nil class SpringBoard"), 1);
    EXPECT_EQ(countLogLines(dump, "nil class SBDashBoardNotificationListViewController"), 2);
    // The player still comes up, on a system whose pages are plain scroll views.
    EXPECT_TRUE(findView(dump["window"], "Rotix"));
}

TEST_F(SpringBoard, TheToggleSetsVisibilityRatherThanFlippingIt) {
    DumpNode shown = runAndDump(kSetup + "post rotixToggle isHidden bool true\n"
                                         "post rotixToggle isHidden bool true\n");
    EXPECT_FALSE(shown["lockScreen"]["notificationList"]["scrollViewHidden"].asBool());
    EXPECT_TRUE(shown["lockScreen"]["mediaControlsPages"][0]["rootViewHidden"].asBool());

    DumpNode back = runAndDump(kSetup + "post rotixToggle isHidden bool true\n"
                                        "post rotixToggle isHidden bool false\n"
                                        "post rotixToggle isHidden bool false\n");
    EXPECT_TRUE(back["lockScreen"]["notificationList"]["scrollViewHidden"].asBool());
    EXPECT_FALSE(back["lockScreen"]["mediaControlsPages"][0]["rootViewHidden"].asBool());

    // A post without the key counts as NO.
    DumpNode bare = runAndDump(kSetup + "post rotixToggle isHidden bool true\npost rotixToggle\n");
    EXPECT_TRUE(bare["lockScreen"]["notificationList"]["scrollViewHidden"].asBool());
}

TEST_F(SpringBoard, APostBeforeTheLockScreenStartsReachesIt) {
    DumpNode dump = runAndDump("post rotixToggle isHidden bool true\n");
    EXPECT_FALSE(dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool());
    EXPECT_TRUE(dump["lockScreen"]["mediaControlsPages"][0]["rootViewHidden"].asBool());
}

TEST_F(SpringBoard, ASecondMediaPageTakesTheSamePlayer) {
    DumpNode dump = runAndDump(kSetup + "media-page\n");
    const DumpNode& pages = dump["lockScreen"]["mediaControlsPages"];
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0]["subviews"].size(), 0u);
    ASSERT_EQ(pages[1]["subviews"].size(), 1u);
    EXPECT_EQ(pages[1]["subviews"][0].asString(), "Rotix");
    EXPECT_EQ(dump["player"]["labels"]["title"].asString(), "Paper Lanterns");
}

TEST_F(SpringBoard, APageTurnAsksTheScrollViewFirstAndKeepsADragOnTheDisc) {
    // The disc's centre on a 414 x 736 screen is at (207, 455).
    DumpNode kept = runAndDump(kSetup + "drag 207 455 400 455 0.5\n");
    EXPECT_EQ(kept["lockScreen"]["page"].asNumber(), 1);
    EXPECT_GE(kept["lockScreen"]["pageCancelQueries"].asNumber(), 1);

    // A drag on the player's background turns the page to the widgets.
    DumpNode turned = runAndDump(kSetup + "drag 20 60 380 60 0.5\n");
    EXPECT_EQ(turned["lockScreen"]["page"].asNumber(), 0);
}

TEST_F(SpringBoard, PreferencesWrittenByAScenarioReachThePlayer) {
    DumpNode dump = runAndDump("pref com.varlo.rotixsettings titleColor string #FF0000\n" + kSetup);
    std::optional<DumpNode> player = findView(dump["window"], "Rotix");
    ASSERT_TRUE(player);
    bool found = false;
    for (const auto& subview : (*player)["subviews"].asArray()) {
        if (subview["class"].asString() == "UILabel" &&
            subview["text"].asString() == "Paper Lanterns") {
            EXPECT_EQ(subview["textColor"].asString(), "#FF0000");
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(SpringBoard, AHiddenPlayButtonIsNamedInEveryDump) {
    // Each change of state gives the button a freshly loaded hiding image.
    DumpNode paused = runAndDump("pref com.varlo.rotixsettings hide bool true\n" + kSetup +
                                 "dump playing.json\npause\nwait 1\n");
    DumpNode playing = host.readJson("playing.json").value_or(DumpNode());
    EXPECT_EQ(playing["player"]["buttons"]["playOrPause"].asString(), "empty.png");
    EXPECT_EQ(paused["player"]["buttons"]["playOrPause"].asString(), "empty.png");
}

TEST_F(SpringBoard, ARingNobodyLooksAtIsDrawnOnlyWhenSomethingAsks) {
    ASSERT_EQ(host.run("clear\ntrack Long|A|1000|none\nplay\nwait 10\ndump a.json\nwait 10\n"
                       "dump b.json\nsnapshot shot.png\ndump c.json\n"),
              0)
        << host.standardError();
    auto first = host.readJson("a.json").value();
    auto second = host.readJson("b.json").value();
    auto third = host.readJson("c.json").value();
    auto drawn = [](const DumpNode& dump) { return dump["process"]["viewsDrawn"].asNumber(); };
    // A hundred ticks moved the ring between the dumps; it was drawn once,
    // for the second dump, whose thumb box shows where it went. Nothing had
    // moved since, so the snapshot drew nothing more.
    EXPECT_EQ(drawn(second) - drawn(first), 1);
    EXPECT_NE(second["player"]["songScrubber"]["thumbCenterPoint"][0].asNumber(),
              first["player"]["songScrubber"]["thumbCenterPoint"][0].asNumber());
    EXPECT_EQ(drawn(third), drawn(second));
}

TEST_F(SpringBoard, ADayOfPlaybackKeepsTheTimeAndTheMemoryFlat) {
#ifdef __SANITIZE_THREAD__
    // Under the thread checker a day of ticks outlasts the test's time, and
    // every tick runs on the main thread: the plain and address-checked
    // builds keep it.
    GTEST_SKIP() << "a day of ticks on one thread, too slow under ThreadSanitizer";
#endif
    ASSERT_EQ(host.run("clear\ntrack Day|A|90000|none\nplay\nwait 43200\ndump half.json\n"
                       "wait 43200\ndump day.json\n"),
              0)
        << host.standardError();
    auto half = host.readJson("half.json").value();
    auto day = host.readJson("day.json").value();
    EXPECT_EQ(day["player"]["labels"]["track"].asString(), "24:00:00 - 25:00:00");
    // Over the second half of the day, once what the allocator (or a
    // sanitizer's quarantine) keeps has settled: 432,000 ticks, where a leak
    // of one small allocation a tick would add 13 MB. The margin is the ring
    // drawn anew for the dump, 990 pixels square: its bitmap and the image
    // taken from it, about 4 MB each.
    double growth =
        day["process"]["peakResidentKB"].asNumber() - half["process"]["peakResidentKB"].asNumber();
    EXPECT_GT(half["process"]["peakResidentKB"].asNumber(), 0);
    EXPECT_LE(growth, 8 * 1024);
}

} // namespace

namespace {

class ActivatorToggle : public ::testing::Test {
protected:
    HostRun host{ROTIX_SPRINGBOARD_PATH};
};

TEST_F(ActivatorToggle, TwoEventsRestoreTheFirstState) {
    ASSERT_EQ(host.run("playlist demo\nplay\nwait 1\ndump 0.json\n"
                       "activator org.brenwick.rotix\ndump 1.json\n"
                       "activator org.brenwick.rotix\ndump 2.json\n"),
              0)
        << host.standardError();
    auto playerHidden = [&](const char* name) {
        return host.readJson(name)
            .value()["lockScreen"]["mediaControlsPages"][0]["rootViewHidden"]
            .asBool();
    };
    auto listHidden = [&](const char* name) {
        return host.readJson(name)
            .value()["lockScreen"]["notificationList"]["scrollViewHidden"]
            .asBool();
    };
    EXPECT_FALSE(playerHidden("0.json"));
    EXPECT_TRUE(listHidden("0.json"));
    EXPECT_TRUE(playerHidden("1.json"));
    EXPECT_FALSE(listHidden("1.json"));
    EXPECT_FALSE(playerHidden("2.json"));
    EXPECT_TRUE(listHidden("2.json"));
}

TEST_F(ActivatorToggle, AnEventBeforeAnyPlayerShowsTheList) {
    // Without a media-controls page there is never a player: the event asks
    // for the list.
    ASSERT_EQ(host.run("activator org.brenwick.rotix\ndump out.json\n",
                       {"--omit-class", "SBDashBoardMediaControlsViewController"}),
              0)
        << host.standardError();
    auto dump = host.readJson("out.json").value();
    EXPECT_FALSE(dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool());
}

TEST_F(ActivatorToggle, TheListenerIsListedWithItsTexts) {
    ASSERT_EQ(host.run("dump out.json\n"), 0) << host.standardError();
    auto dump = host.readJson("out.json").value();
    ASSERT_EQ(dump["activatorListeners"].size(), 1u);
    const DumpNode& listener = dump["activatorListeners"][0];
    EXPECT_EQ(listener["name"].asString(), "org.brenwick.rotix");
    EXPECT_EQ(listener["title"].asString(), "Rotix");
    EXPECT_EQ(listener["description"].asString(), "Toggle Notification Visibility");
    EXPECT_EQ(listener["group"].asString(), "");
    EXPECT_EQ(host.run("activator org.nobody.here\n"), 2);
}

} // namespace
