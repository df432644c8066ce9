#include "player/DeviceLayout.h"

#include "platform/uikit/UIDeviceProfile.h"
#include "platform/uikit/UIScreen.h"

#include <gtest/gtest.h>

namespace {

class DeviceLayoutTest : public ::testing::Test {
protected:
    void TearDown() override { UIScreen::mainScreen()->setProfile(UIDeviceProfile::iPhone7Plus()); }

    static void useScreen(const UIDeviceProfile& profile) {
        UIScreen::mainScreen()->setProfile(profile);
    }
};

TEST_F(DeviceLayoutTest, ReferenceLengthsCoverTheWholeScreen) {
    useScreen(UIDeviceProfile::iPhone7());
    EXPECT_DOUBLE_EQ(wAdjust(414), 375);
    EXPECT_DOUBLE_EQ(hAdjust(736), 667);
    useScreen(UIDeviceProfile::iPhoneSE());
    EXPECT_DOUBLE_EQ(wAdjust(414), 320);
    EXPECT_DOUBLE_EQ(hAdjust(736), 568);
}

TEST_F(DeviceLayoutTest, ScalesEachAxisByItsOwnSide) {
    useScreen(UIDeviceProfile::iPhoneSE());
    EXPECT_NEAR(hAdjust(628), 484.6521739130435, 1e-9);
    EXPECT_NEAR(wAdjust(150), 115.94202898550725, 1e-9);
    EXPECT_NEAR(hAdjust(60), 46.30434782608696, 1e-9);
    EXPECT_EQ(wAdjust(0), 0);
    EXPECT_EQ(hAdjust(-736), -568);
}

// The two orders of the arithmetic differ in the last bit for these lengths.
TEST_F(DeviceLayoutTest, DividesBeforeItMultiplies) {
    useScreen(UIDeviceProfile::iPhoneSE());
    ASSERT_NE(7.0 * 320 / 414, 7.0 / 414 * 320);
    EXPECT_EQ(wAdjust(7), 7.0 / 414 * 320);
    ASSERT_NE(15.0 * 568 / 736, 15.0 / 736 * 568);
    EXPECT_EQ(hAdjust(15), 15.0 / 736 * 568);
}

TEST_F(DeviceLayoutTest, OnTheReferenceScreenLengthsStayUpToRounding) {
    useScreen(UIDeviceProfile::iPhone7Plus());
    for (double v : {0.5, 42.0, 110.0, 290.0, 628.0, 736.0}) {
        EXPECT_NEAR(wAdjust(v), v, 1e-12);
        EXPECT_NEAR(hAdjust(v), v, 1e-12);
    }
}

TEST_F(DeviceLayoutTest, ReadsTheScreenOnEveryCall) {
    useScreen(UIDeviceProfile::iPhoneSE());
    EXPECT_DOUBLE_EQ(wAdjust(414), 320);
    UIScreen::mainScreen()->setBoundsSize(CGSizeMake(568, 320));
    EXPECT_DOUBLE_EQ(wAdjust(414), 568);
    EXPECT_DOUBLE_EQ(hAdjust(736), 320);
}

} // namespace
