#include "platform/objc/Runtime.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "slider/SliderTestSupport.h"

#include <limits>

namespace {

using UICircularSliderSetup = SliderTest;

TEST_F(UICircularSliderSetup, StartsWithTheDefaultsAndSendsNoEvent) {
    // Allocated without its initialiser, so a recorder can listen to setup.
    auto slider = makeObject<UICircularSlider>();
    auto recorder = recordEvents(slider);
    slider->setFrame({{0, 0}, {100, 100}});
    slider->awakeFromNib();

    EXPECT_EQ(slider->value(), 0.0f);
    EXPECT_EQ(slider->minimumValue(), 0.0f);
    EXPECT_EQ(slider->maximumValue(), 1.0f);
    EXPECT_TRUE(slider->isContinuous());
    EXPECT_EQ(slider->sliderStyle(), 0);
    EXPECT_EQ(slider->minimumTrackTintColor(), UIColor::blueColor());
    EXPECT_EQ(slider->maximumTrackTintColor(), UIColor::whiteColor());
    EXPECT_EQ(slider->thumbTintColor(), UIColor::darkGrayColor());
    EXPECT_EQ(slider->thumbCenterPoint(), CGPointZero);
    EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(UICircularSliderSetup, AddsATapAndAOneFingerPanAimedAtItself) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    const auto& recognizers = slider->gestureRecognizers();
    ASSERT_EQ(recognizers.size(), 2u);

    auto tap = std::dynamic_pointer_cast<UITapGestureRecognizer>(recognizers[0]);
    ASSERT_TRUE(tap);
    ASSERT_EQ(tap->targetActions().size(), 1u);
    EXPECT_EQ(tap->targetActions()[0].first, slider);
    EXPECT_EQ(tap->targetActions()[0].second, "tapGestureHappened:");

    auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(recognizers[1]);
    ASSERT_TRUE(pan);
    EXPECT_EQ(pan->maximumNumberOfTouches(), pan->minimumNumberOfTouches());
    ASSERT_EQ(pan->targetActions().size(), 1u);
    EXPECT_EQ(pan->targetActions()[0].first, slider);
    EXPECT_EQ(pan->targetActions()[0].second, "panGestureHappened:");
}

TEST_F(UICircularSliderSetup, TheRuntimeKnowsTheRecognisersActions) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    ASSERT_TRUE(objc_getClass("UICircularSlider"));
    EXPECT_TRUE(slider->respondsToSelector("panGestureHappened:"));
    EXPECT_TRUE(slider->respondsToSelector("tapGestureHappened:"));
}

TEST_F(UICircularSliderSetup, RadiusIsTheSmallerHalfSideLessTheInset) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    EXPECT_EQ(slider->sliderRadius(), 38);
    slider->setFrame({{0, 0}, {100, 60}});
    EXPECT_EQ(slider->sliderRadius(), 18);
    slider->setFrame({{5, 5}, {60, 100}});
    EXPECT_EQ(slider->sliderRadius(), 18);
    slider->setFrame({{0, 0}, {24, 40}});
    EXPECT_EQ(slider->sliderRadius(), 0);
    slider->setFrame({{0, 0}, {10, 10}});
    EXPECT_EQ(slider->sliderRadius(), -7);
}

using UICircularSliderValue = SliderTest;

TEST_F(UICircularSliderValue, ClampsIntoTheRangeAndReportsEachChange) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    auto recorder = recordEvents(slider);
    slider->setValue(1.5f);
    EXPECT_EQ(slider->value(), 1.0f);
    slider->setValue(-0.2f);
    EXPECT_EQ(slider->value(), 0.0f);
    slider->setValue(0.4f);
    EXPECT_EQ(slider->value(), 0.4f);
    EXPECT_EQ(recorder->actions, Events(3, "valueChanged:"));
}

TEST_F(UICircularSliderValue, TheSameValueNeitherRedrawsNorReports) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(0.4f);
    displayFrame();
    auto recorder = recordEvents(slider);
    slider->setValue(0.4f);
    EXPECT_FALSE(slider->needsDisplay());
    EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(UICircularSliderValue, TheEarlyReturnComparesTheArgumentBeforeClamping) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(1);
    displayFrame();
    auto recorder = recordEvents(slider);
    slider->setValue(2);
    EXPECT_EQ(slider->value(), 1.0f);
    EXPECT_TRUE(slider->needsDisplay());
    EXPECT_EQ(recorder->actions, Events{"valueChanged:"});
}

TEST_F(UICircularSliderValue, ANonContinuousSliderRedrawsButDoesNotReport) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setContinuous(false);
    displayFrame();
    auto recorder = recordEvents(slider);
    slider->setValue(0.7f);
    EXPECT_EQ(slider->value(), 0.7f);
    EXPECT_TRUE(slider->needsDisplay());
    EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(UICircularSliderValue, RaisingTheMinimumCarriesTheMaximumAndTheValue) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(0.5f);
    auto recorder = recordEvents(slider);
    slider->setMinimumValue(5);
    EXPECT_EQ(slider->minimumValue(), 5.0f);
    EXPECT_EQ(slider->maximumValue(), 5.0f);
    EXPECT_EQ(slider->value(), 5.0f);
    EXPECT_EQ(recorder->actions, Events{"valueChanged:"});
}

TEST_F(UICircularSliderValue, LoweringTheMaximumCarriesTheMinimumAndTheValue) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(0.5f);
    auto recorder = recordEvents(slider);
    slider->setMaximumValue(-1);
    EXPECT_EQ(slider->maximumValue(), -1.0f);
    EXPECT_EQ(slider->minimumValue(), -1.0f);
    EXPECT_EQ(slider->value(), -1.0f);
    EXPECT_EQ(recorder->actions, Events{"valueChanged:"});
}

TEST_F(UICircularSliderValue, ALimitThatLeavesTheValueAloneNeitherRedrawsNorReports) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(0.5f);
    displayFrame();
    auto recorder = recordEvents(slider);
    slider->setMinimumValue(-1);
    slider->setMaximumValue(3);
    slider->setMinimumValue(0.25f);
    EXPECT_EQ(slider->minimumValue(), 0.25f);
    EXPECT_EQ(slider->maximumValue(), 3.0f);
    EXPECT_EQ(slider->value(), 0.5f);
    EXPECT_FALSE(slider->needsDisplay());
    EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(UICircularSliderValue, LimitsClampTheValueFromEitherSide) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(0.5f);
    slider->setMaximumValue(0.3f);
    EXPECT_EQ(slider->value(), 0.3f);
    EXPECT_EQ(slider->minimumValue(), 0.0f);
    slider->setMinimumValue(0.4f);
    EXPECT_EQ(slider->maximumValue(), 0.4f);
    EXPECT_EQ(slider->value(), 0.4f);
}

TEST_F(UICircularSliderValue, NotANumberIsRefusedEverywhere) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(0.5f);
    displayFrame();
    auto recorder = recordEvents(slider);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    slider->setValue(nan);
    slider->setMinimumValue(nan);
    slider->setMaximumValue(nan);
    EXPECT_EQ(slider->value(), 0.5f);
    EXPECT_EQ(slider->minimumValue(), 0.0f);
    EXPECT_EQ(slider->maximumValue(), 1.0f);
    EXPECT_FALSE(slider->needsDisplay());
    EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(UICircularSliderValue, InfinitiesClampToTheLimits) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(std::numeric_limits<float>::infinity());
    EXPECT_EQ(slider->value(), 1.0f);
    slider->setValue(-std::numeric_limits<float>::infinity());
    EXPECT_EQ(slider->value(), 0.0f);
}

using UICircularSliderAppearance = SliderTest;

TEST_F(UICircularSliderAppearance, AnEqualColourChangesNothingAndAnotherRedraws) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    displayFrame();
    slider->setMinimumTrackTintColor(UIColor::colorWithRed(0, 0, 1, 1));
    slider->setMaximumTrackTintColor(UIColor::colorWithWhite(1, 1));
    slider->setThumbTintColor(UIColor::colorWithWhite(1.0 / 3.0, 1));
    EXPECT_FALSE(slider->needsDisplay());

    slider->setMaximumTrackTintColor(UIColor::redColor());
    EXPECT_TRUE(slider->needsDisplay());
    EXPECT_EQ(slider->maximumTrackTintColor(), UIColor::redColor());
}

TEST_F(UICircularSliderAppearance, ANilColourIsStoredAndNeverEqual) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    displayFrame();
    slider->setThumbTintColor(std::nullopt);
    EXPECT_FALSE(slider->thumbTintColor().has_value());
    EXPECT_TRUE(slider->needsDisplay());
    displayFrame();
    // isEqual: of nil answers NO, so nil again still asks for a redraw.
    slider->setThumbTintColor(std::nullopt);
    EXPECT_TRUE(slider->needsDisplay());
}

TEST_F(UICircularSliderAppearance, StyleRedrawsOnlyWhenItChanges) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    displayFrame();
    slider->setSliderStyle(0);
    EXPECT_FALSE(slider->needsDisplay());
    slider->setSliderStyle(UICircularSlider::kSliderStylePie);
    EXPECT_TRUE(slider->needsDisplay());
    EXPECT_EQ(slider->sliderStyle(), 1);
}

using UICircularSliderThumbBox = SliderTest;

TEST_F(UICircularSliderThumbBox, IsTwentyFourPointsWithTheMaximumEdgesOutside) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setThumbCenterPoint({30, 40});
    EXPECT_TRUE(slider->isPointInThumb({41, 40}));
    EXPECT_FALSE(slider->isPointInThumb({42, 40}));
    EXPECT_TRUE(slider->isPointInThumb({18, 40}));
    EXPECT_FALSE(slider->isPointInThumb({17.999, 40}));
    EXPECT_TRUE(slider->isPointInThumb({30, 28}));
    EXPECT_TRUE(slider->isPointInThumb({41.999, 51.999}));
    EXPECT_FALSE(slider->isPointInThumb({30, 52}));
}

TEST_F(UICircularSliderThumbBox, MovesOnlyWhenTheSliderIsDrawn) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    displayFrame();
    EXPECT_EQ(slider->thumbCenterPoint(), (CGPoint{50, 12}));

    slider->setValue(0.25f);
    EXPECT_EQ(slider->thumbCenterPoint(), (CGPoint{50, 12}));
    EXPECT_TRUE(slider->isPointInThumb({50, 12}));
    EXPECT_FALSE(slider->isPointInThumb({88, 50}));

    displayFrame();
    EXPECT_NEAR(slider->thumbCenterPoint().x, 88, 1e-4);
    EXPECT_NEAR(slider->thumbCenterPoint().y, 50, 1e-4);
    EXPECT_TRUE(slider->isPointInThumb({88, 50}));
    EXPECT_FALSE(slider->isPointInThumb({50, 12}));
}

TEST_F(UICircularSliderThumbBox, SitsAtTwelveForTheMinimumAndTheMaximum) {
    auto slider = UICircularSlider::create({{0, 0}, {100, 100}});
    slider->setValue(1);
    displayFrame();
    EXPECT_NEAR(slider->thumbCenterPoint().x, 50, 1e-4);
    EXPECT_NEAR(slider->thumbCenterPoint().y, 12, 1e-4);
    slider->setValue(0.5f);
    displayFrame();
    EXPECT_NEAR(slider->thumbCenterPoint().x, 50, 1e-4);
    EXPECT_NEAR(slider->thumbCenterPoint().y, 88, 1e-4);
}

} // namespace
