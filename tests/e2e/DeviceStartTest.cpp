#include "support/HostRun.h"

#include <gtest/gtest.h>

// What the lock screen shows right after the home-screen process starts, on
// each kind of device.
namespace {

DumpNode ringFrame(const DumpNode& dump) {
    std::optional<DumpNode> ring = findView(dump["window"], "UICircularSlider");
    return ring ? (*ring)["frame"] : DumpNode();
}

TEST(DeviceStart, ATabletTakesItsLayoutFromTheFirstOrientationReading) {
    HostRun host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_EQ(host.run("device ipad\nwait 0.5\ndump portrait.json\n"), 0) << host.standardError();
    // The portrait tablet layout puts the ring at H/2 - 105 on a 1024-point
    // screen.
    EXPECT_EQ(ringFrame(host.readJson("portrait.json").value()).serialize(0),
              "[192,407,384,384]\n");
}

TEST(DeviceStart, AnOrientationSetBeforeTheStartIsNotLost) {
    HostRun host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_EQ(host.run("device ipad\norientation landscape-left\nwait 0.5\ndump out.json\n"), 0)
        << host.standardError();
    // The landscape tablet layout, in a player of the upright screen's size.
    EXPECT_EQ(ringFrame(host.readJson("out.json").value()).serialize(0), "[192,287,384,384]\n");
}

TEST(DeviceStart, APhoneIsLaidOutAtOnceWhicheverWayItIsHeld) {
    HostRun host(ROTIX_SPRINGBOARD_PATH);
    // Without the landscape setting a phone keeps its portrait layout.
    ASSERT_EQ(host.run("device iphone-7-plus\norientation landscape-left\nwait 0.5\n"
                       "dump out.json\n"),
              0)
        << host.standardError();
    DumpNode dump = host.readJson("out.json").value();
    EXPECT_EQ(ringFrame(dump).serialize(0), "[42,290,330,330]\n");
    EXPECT_EQ(dump["device"]["screen"].serialize(0), "[0,0,414,736]\n");
}

} // namespace
