#include "e2e/SettingsAppFixture.h"
#include "support/SpawnedProcess.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

// Built only where the settings host is.
#ifdef ROTIX_SETTINGS_PATH

namespace {

TEST_F(SettingsApp, TheAppOpensTheBundlesRootPaneFromItsEntry) {
    DumpNode dump = runAndDump("");
    const DumpNode& navigation = dump["navigation"];
    ASSERT_EQ(navigation.size(), 2u);
    EXPECT_EQ(navigation[0]["title"].asString(), "Settings");
    EXPECT_EQ(navigation[1]["class"].asString(), "RotixSettingsListController");
    EXPECT_EQ(dump["pane"]["title"].asString(), "Rotix");
    EXPECT_EQ(dump["pane"]["rightBarButton"]["title"].asString(), "Respring");
    EXPECT_EQ(dump["pane"]["rightBarButton"]["action"].asString(), "confirmRespring");
    std::optional<DumpNode> labels = row(dump, "Labels");
    ASSERT_TRUE(labels.has_value());
    EXPECT_EQ((*labels)["kind"].asString(), "link");
    EXPECT_EQ((*labels)["detail"].asString(), "LabelsController");
    EXPECT_EQ(countLogLines(dump, "Preferences"), 0);
    EXPECT_EQ(countLogLines(dump, "NSBundle"), 0);
}

TEST_F(SettingsApp, ChangedSettingsShowOnTheLockScreenAfterTheRespring) {
    // The lock screen as it was: white title where the layout puts it.
    HostRun before{ROTIX_SPRINGBOARD_PATH};
    const std::string lockScreen = "device iphone-7-plus\nplaylist demo\nplay\nwait 1\n"
                                   "dump lock.json\n";
    ASSERT_EQ(before.run(lockScreen), 0) << before.standardError();

    DumpNode settings = runAndDump(kSafe + "open Labels\n"
                                           "set titleColor #ff8000\n"
                                           "set titleb on\n"
                                           "set titley 300\n"
                                           "back\n"
                                           "press Respring\n"
                                           "alert 1\n");
    const DumpNode& spawned = settings["spawned"];
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0]["path"].asString(), "/usr/bin/killall");
    EXPECT_EQ(spawned[0]["program"].asString(), "/bin/true");
    ASSERT_EQ(spawned[0]["arguments"].size(), 2u);
    EXPECT_EQ(spawned[0]["arguments"][0].asString(), "killall");
    EXPECT_EQ(spawned[0]["arguments"][1].asString(), "backboardd");
    EXPECT_EQ(spawned[0]["wait"]["options"].asNumber(), 4);
    EXPECT_TRUE(settings["alert"].isNull());

    // The home screen starts again on the same device root.
    HostRun after{ROTIX_SPRINGBOARD_PATH};
    ASSERT_EQ(after.run(lockScreen, {"--root", host.root().string()}), 0) << after.standardError();

    auto titleLabel = [](const DumpNode& dump) -> std::optional<DumpNode> {
        std::optional<DumpNode> player = findView(dump["window"], "Rotix");
        if (!player)
            return std::nullopt;
        std::string title = dump["player"]["labels"]["title"].asString();
        for (const auto& view : (*player)["subviews"].asArray()) {
            if (view["class"].asString() == "UILabel" && view["text"].asString() == title)
                return view;
        }
        return std::nullopt;
    };
    auto old = before.readJson("lock.json");
    auto changed = after.readJson("lock.json");
    ASSERT_TRUE(old && changed);
    std::optional<DumpNode> oldTitle = titleLabel(*old);
    std::optional<DumpNode> newTitle = titleLabel(*changed);
    ASSERT_TRUE(oldTitle.has_value());
    ASSERT_TRUE(newTitle.has_value());
    EXPECT_EQ((*oldTitle)["textColor"].asString(), "#FFFFFF");
    EXPECT_NE((*oldTitle)["frame"][1].asNumber(), 300);
    EXPECT_EQ((*newTitle)["textColor"].asString(), "#FF8000");
    EXPECT_EQ((*newTitle)["frame"][1].asNumber(), 300);
}

TEST_F(SettingsApp, TwoHostsWritingOneRootAtOnceKeepEachOthersKeys) {
    // Each host writes its own keys, one write a key, while the other does too.
    constexpr int kKeys = 300;
    const std::string names[2] = {"first", "second"};
    SpawnedProcess hosts[2];
    for (int h = 0; h < 2; ++h) {
        std::ofstream scenario(host.folder() / (names[h] + ".scn"));
        for (int i = 0; i < kKeys; ++i)
            scenario << "pref com.varlo.rotixsettings " << names[h] << i << " int " << i << "\n";
        scenario.close();
        ASSERT_TRUE(hosts[h].start(
            {ROTIX_SETTINGS_PATH, "--scenario", names[h] + ".scn", "--root", host.root().string()},
            {}, host.folder(), names[h]));
    }
    for (auto& process : hosts)
        EXPECT_EQ(process.wait(std::chrono::seconds(100)), 0) << process.errors();

    auto contents = PropertyListFile::read(
        host.root() / "var/mobile/Library/Preferences/com.varlo.rotixsettings.plist");
    const CFDictionary* dictionary = contents.value ? contents.value->dictionary() : nullptr;
    ASSERT_NE(dictionary, nullptr);
    int lost = 0;
    for (const std::string& name : names) {
        for (int i = 0; i < kKeys; ++i) {
            const CFPropertyList* value =
                CFDictionaryGetValue(dictionary, name + std::to_string(i));
            lost += !value || *value != CFPropertyList(i);
        }
    }
    EXPECT_EQ(lost, 0);
}

TEST_F(SettingsApp, NoInTheRespringAlertSpawnsNothing) {
    DumpNode dump = runAndDump(kSafe + "press Respring\ndump alert.json\nalert 0\n");
    auto alert = host.readJson("alert.json");
    ASSERT_TRUE(alert);
    EXPECT_EQ((*alert)["alert"]["title"].asString(), "Respring");
    EXPECT_EQ((*alert)["alert"]["tag"].asNumber(), 2);
    EXPECT_TRUE(dump["alert"].isNull());
    EXPECT_EQ(dump["spawned"].size(), 0u);
}

TEST_F(SettingsApp, ABadColourIsRefusedByItsRowAndNotWritten) {
    DumpNode dump = runAndDump("open Clock\nset clockColor #00FF00\nset clockColor #12345\n");
    std::optional<DumpNode> colour = row(dump, "clockColor");
    ASSERT_TRUE(colour.has_value());
    EXPECT_EQ((*colour)["text"].asString(), "#00FF00");
    EXPECT_NE((*colour)["message"].asString().find("six hexadecimal digits"), std::string::npos);
    EXPECT_EQ(stored("clockColor"), CFPropertyList("#00FF00"));
    EXPECT_NE(host.standardError().find("refused"), std::string::npos);
}

TEST_F(SettingsApp, NumbersAreClampedAndChoicesChecked) {
    DumpNode dump = runAndDump("open Rotixner\nset rotixnery 5000\nset radius 20\nset radius 13\n");
    EXPECT_EQ(stored("rotixnery"), CFPropertyList(1366.0));
    EXPECT_EQ(stored("radius"), CFPropertyList(20));
    EXPECT_EQ((*row(dump, "radius"))["text"].asString(), "20 points");
    EXPECT_FALSE((*row(dump, "radius"))["message"].isNull());
}

TEST_F(SettingsApp, ABrokenPanePlistShowsAnEmptyPaneAndOneLogLine) {
    std::ofstream(host.root() / "Library/PreferenceBundles/RotixSettings.bundle/Clock.plist")
        << "<plist><dict><key>items</key>";
    DumpNode dump = runAndDump("open Clock\nback\nopen Clock\n");
    EXPECT_EQ(dump["pane"]["class"].asString(), "ClockController");
    EXPECT_EQ(dump["pane"]["rows"].size(), 0u);
    EXPECT_EQ(countLogLines(dump, "Clock.plist: not a property list; showing an empty pane"), 1);
}

TEST_F(SettingsApp, WithoutTheStringsTableTheAlertsShowTheKeys) {
    std::filesystem::remove_all(host.root() / "Library/PreferenceBundles/RotixSettings.bundle/"
                                              "en.lproj");
    DumpNode dump = runAndDump("press Respring\n");
    EXPECT_EQ(dump["alert"]["title"].asString(), "Respring");
    EXPECT_EQ(dump["alert"]["message"].asString(), "RESPRING");
    EXPECT_EQ(dump["alert"]["buttons"][0].asString(), "NO");
    EXPECT_EQ(dump["alert"]["buttons"][1].asString(), "YES");
}

TEST_F(SettingsApp, FollowOpensTheFirstInstalledClient) {
    DumpNode dump = runAndDump("installed twitter tweetbot\npress \"Follow @varlo\"\n"
                               "dump alert.json\nalert 1\n");
    auto alert = host.readJson("alert.json");
    ASSERT_TRUE(alert);
    EXPECT_EQ((*alert)["alert"]["message"].asString(), "Open the profile in Tweetbot?");
    ASSERT_EQ(dump["urlsOpened"].size(), 1u);
    EXPECT_EQ(dump["urlsOpened"][0].asString(), "tweetbot:///user_profile/varlo");

    HostRun web{ROTIX_SETTINGS_PATH};
    ASSERT_EQ(web.run("open Credits\npress Dastrel\nalert 1\ndump out.json\n"), 0)
        << web.standardError();
    auto credits = web.readJson("out.json");
    ASSERT_TRUE(credits);
    ASSERT_EQ((*credits)["urlsOpened"].size(), 1u);
    EXPECT_EQ((*credits)["urlsOpened"][0].asString(),
              "http://twitter.com/intent/follow?screen_name=dastrel");
}

TEST_F(SettingsApp, TheSupportMailNamesTheMachineAndAnyResultClosesIt) {
    DumpNode dump = runAndDump("device iphone-se\npress \"Email Support\"\ndump open.json\n"
                               "mail-result cancelled\n");
    auto open = host.readJson("open.json");
    ASSERT_TRUE(open);
    const DumpNode& composed = (*open)["mail"]["composed"];
    ASSERT_EQ(composed.size(), 1u);
    EXPECT_EQ(composed[0]["subject"].asString(), "Rotix (iOS 10) v1.0.3, iPhone8,4");
    EXPECT_EQ(composed[0]["toRecipients"][0].asString(), "support@varlo.dev");
    EXPECT_TRUE(composed[0]["presented"].asBool());
    EXPECT_FALSE(dump["mail"]["composed"][0]["presented"].asBool());
    EXPECT_EQ(dump["mail"]["composed"][0]["result"].asString(), "cancelled");

    HostRun noMail{ROTIX_SETTINGS_PATH};
    ASSERT_EQ(noMail.run("mail off\npress \"Email Support\"\ndump out.json\n"), 0);
    EXPECT_EQ((*noMail.readJson("out.json"))["mail"]["composed"].size(), 0u);
}

TEST_F(SettingsApp, ClockRereadsItsRowsOnReturnAndExtrasKeepsThem) {
    DumpNode dump = runAndDump("open Clock\nback\nopen Extras\nback\n"
                               "pref com.varlo.rotixsettings clockColor string #123456\n"
                               "pref com.varlo.rotixsettings landscape bool true\n"
                               "open Clock\ndump clock.json\nback\nopen Extras\n");
    auto clock = host.readJson("clock.json");
    ASSERT_TRUE(clock);
    EXPECT_EQ((*row(*clock, "clockColor"))["text"].asString(), "#123456");
    EXPECT_EQ((*row(dump, "landscape"))["text"].asString(), "off");
}

TEST_F(SettingsApp, ModalAlertsAndBadLinesStopTheRun) {
    EXPECT_EQ(host.run("press Nothing\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:1: no row or bar button 'Nothing'"),
              std::string::npos)
        << host.standardError();
    EXPECT_EQ(host.run("set titleColor #FFFFFF\n"), 2);
    EXPECT_EQ(host.run("alert 1\n"), 2);
    EXPECT_EQ(host.run("press Respring\npress Labels\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:2: an alert is showing"), std::string::npos);
    EXPECT_EQ(host.run("press Respring\nalert 2\n"), 2);
    EXPECT_EQ(host.run("back\nback\n"), 2);
    EXPECT_NE(host.standardError().find("scenario.scn:2: already at the first pane"),
              std::string::npos);
    EXPECT_EQ(host.run("mail-result sent\n"), 2);
    EXPECT_EQ(host.run("open Labels\ndevice iphone-se\n"), 2);
}

TEST_F(SettingsApp, SnapshotsArePicturesOfTheScreenOrTheWholePane) {
    ASSERT_EQ(host.run("open Labels\nsnapshot screen.png\nsnapshot page.png full\n"), 0)
        << host.standardError();
    auto size = [&](const std::string& name) {
        std::ifstream file(host.folder() / name, std::ios::binary);
        unsigned char header[24] = {};
        file.read(reinterpret_cast<char*>(header), sizeof header);
        auto be32 = [&](int at) {
            return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3];
        };
        return std::pair<int, int>{be32(16), be32(20)};
    };
    EXPECT_EQ(size("screen.png"), (std::pair<int, int>{1242, 2208}));
    auto page = size("page.png");
    EXPECT_EQ(page.first, 1242);
    EXPECT_GT(page.second, 2208);
}

} // namespace

#endif
