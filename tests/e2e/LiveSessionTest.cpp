#include "support/LiveHost.h"

#include <gtest/gtest.h>

// A host on the system clock, driven line by line through its standard
// input, the way the desktop tests and a person at a terminal drive it.
namespace {

using namespace std::chrono_literals;

TEST(LiveSession, TimeRunsOnItsOwnAndLinesRunAsTheyArrive) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(host.start());
    auto first = host.dump();
    ASSERT_TRUE(first) << host.standardError();
    ASSERT_TRUE(host.send("playlist demo"));
    ASSERT_TRUE(host.send("play"));
    auto playing = host.waitFor(
        [](const DumpNode& dump) { return dump["nowPlaying"]["playing"].asBool(); }, 10s);
    ASSERT_TRUE(playing) << host.standardError();
    // Nobody advanced a clock, yet time went on.
    auto later = host.waitFor(
        [&](const DumpNode& dump) {
            return dump["time"].asNumber() > (*first)["time"].asNumber() + 0.2;
        },
        10s);
    EXPECT_TRUE(later);
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}

// A live session starts at once, before any line could choose the device.
TEST(LiveSession, TheDeviceOptionChoosesTheDevice) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(host.start({"--device", "600x900@2", "pad"}));
    auto dump = host.dump();
    ASSERT_TRUE(dump) << host.standardError();
    EXPECT_EQ((*dump)["device"]["screen"].serialize(0), "[0,0,600,900]\n");
    EXPECT_EQ((*dump)["device"]["scale"].asNumber(), 2);
    EXPECT_EQ((*dump)["device"]["idiom"].asNumber(), 1);
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}

TEST(LiveSession, ABadLineIsReportedAndTheSessionGoesOn) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.send("no-such-command 1 2"));
    ASSERT_TRUE(host.send("tap"));
    ASSERT_TRUE(host.send("activator org.brenwick.rotix"));
    auto toggled = host.waitFor(
        [](const DumpNode& dump) {
            return !dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool();
        },
        10s);
    EXPECT_TRUE(toggled);
    EXPECT_EQ(host.finish(), 0);
    const std::string errors = host.standardError();
    EXPECT_NE(errors.find("stdin:1: unknown command 'no-such-command'"), std::string::npos)
        << errors;
    EXPECT_NE(errors.find("stdin:2: usage: tap"), std::string::npos) << errors;
}

TEST(LiveSession, AWaitRunsInRealTimeWithoutLosingTheLinesBehindIt) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(host.start());
    // Both lines arrive together; the second runs once the wait is over.
    ASSERT_TRUE(host.send("wait 0.3\nactivator org.brenwick.rotix"));
    auto toggled = host.waitFor(
        [](const DumpNode& dump) {
            return !dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool();
        },
        10s);
    EXPECT_TRUE(toggled) << host.standardError();
    EXPECT_EQ(host.finish(), 0);
}

#ifdef ROTIX_SETTINGS_PATH
TEST(LiveSession, TheSettingsHostRunsLiveToo) {
    LiveHost host(ROTIX_SETTINGS_PATH);
    ASSERT_TRUE(host.start());
    auto dump = host.dump();
    EXPECT_TRUE(dump) << host.standardError();
    EXPECT_EQ(host.finish(), 0);
}
#endif

TEST(LiveSession, AnUnknownClockIsRefused) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(host.start({"--clock", "sundial"}));
    EXPECT_EQ(host.finish(), 2);
}

} // namespace
