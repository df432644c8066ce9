#include "platform/corefoundation/PropertyListFile.h"
#include "slider/SliderTestSupport.h"

#include <filesystem>

namespace {

// Distinct colours for the three parts, on a 100 x 100 slider drawn at scale
// 1: centre (50, 50), ring radius 38, stroke 5 wide.
class UICircularSliderDrawing : public SliderTest {
protected:
    void SetUp() override {
        SliderTest::SetUp();
        m_slider = UICircularSlider::create({{0, 0}, {100, 100}});
        m_slider->setMaximumTrackTintColor(UIColor::greenColor());
        m_slider->setMinimumTrackTintColor(UIColor::redColor());
        m_slider->setThumbTintColor(UIColor::blueColor());
    }

    static constexpr CGPoint kCenter{50, 50};
    static constexpr double kRing = 38;
    std::shared_ptr<UICircularSlider> m_slider;
};

bool isGreen(Pixel p) {
    return p.g > 100;
}
bool isReddish(Pixel p) {
    return p.r > 100;
}

TEST_F(UICircularSliderDrawing, ProgressStartsAtTwelveAndRunsClockwise) {
    m_slider->setValue(0.25f);
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);

    for (double degrees : {10.0, 45.0, 60.0})
        EXPECT_EQ(pixelAtClock(image, kCenter, degrees, kRing), kRed) << degrees;
    for (double degrees : {120.0, 180.0, 270.0, 350.0})
        EXPECT_EQ(pixelAtClock(image, kCenter, degrees, kRing), kGreen) << degrees;
    // The thumb is drawn last, over the track's end at three o'clock.
    EXPECT_EQ(pixelAtClock(image, kCenter, 90, kRing), kBlue);
    EXPECT_EQ(pixelAt(image, 50, 50), kClear);
}

TEST_F(UICircularSliderDrawing, AtTheMinimumThereIsNoProgressArc) {
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    EXPECT_EQ(countPixels(image, isReddish), 0);
    EXPECT_EQ(pixelAt(image, 50, 12), kBlue);
    EXPECT_EQ(pixelAtClock(image, kCenter, 180, kRing), kGreen);
}

TEST_F(UICircularSliderDrawing, AtTheMaximumTheProgressIsAFullRing) {
    m_slider->setValue(1);
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    for (double degrees = 30; degrees < 360; degrees += 30)
        EXPECT_EQ(pixelAtClock(image, kCenter, degrees, kRing), kRed) << degrees;
    EXPECT_EQ(countPixels(image, isGreen), 0);
    EXPECT_EQ(pixelAt(image, 50, 12), kBlue);
}

TEST_F(UICircularSliderDrawing, PieStyleFillsSectorsInsideAnOutline) {
    m_slider->setSliderStyle(UICircularSlider::kSliderStylePie);
    m_slider->setValue(0.25f);
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAtClock(image, kCenter, 45, 20), kRed);
    EXPECT_EQ(pixelAtClock(image, kCenter, 135, 20), kGreen);
    EXPECT_EQ(pixelAtClock(image, kCenter, 270, 20), kGreen);
    // The outline in the minimum colour runs all round, over the disc's edge.
    EXPECT_EQ(pixelAtClock(image, kCenter, 225, kRing), kRed);
    EXPECT_EQ(pixelAtClock(image, kCenter, 90, kRing), kBlue);
    EXPECT_NEAR(m_slider->thumbCenterPoint().x, 88, 1e-4);
    EXPECT_NEAR(m_slider->thumbCenterPoint().y, 50, 1e-4);
}

TEST_F(UICircularSliderDrawing, ANilColourLeavesThePreviousOneInEffect) {
    // In pie style the last fill before the thumb is the progress sector's.
    m_slider->setSliderStyle(UICircularSlider::kSliderStylePie);
    m_slider->setValue(0.25f);
    m_slider->setThumbTintColor(std::nullopt);
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAtClock(image, kCenter, 90, kRing + 8), kRed);
}

TEST_F(UICircularSliderDrawing, TheThumbRadiusComesFromTheSettingAtEveryDraw) {
    // Thumb at twelve, (50, 12); (66, 12) is 16 points to its right.
    auto image = drawSlider(m_slider);
    EXPECT_NE(pixelAt(image, 66, 12), kBlue);

    setRadiusSetting(20);
    image = drawSlider(m_slider);
    EXPECT_EQ(pixelAt(image, 66, 12), kBlue);
    EXPECT_EQ(pixelAt(image, 50, 30), kBlue);
    EXPECT_NE(pixelAt(image, 28, 12), kBlue);
    // The hit box does not grow with the drawing.
    EXPECT_TRUE(m_slider->isPointInThumb({61, 12}));
    EXPECT_FALSE(m_slider->isPointInThumb({62, 12}));
    EXPECT_FALSE(m_slider->isPointInThumb({66, 12}));

    setRadiusSetting(5);
    image = drawSlider(m_slider);
    EXPECT_NE(pixelAt(image, 58, 12), kBlue);
    EXPECT_EQ(pixelAt(image, 52, 12), kBlue);
}

TEST_F(UICircularSliderDrawing, ARadiusWrittenByAnotherProgramShowsAtTheNextDraw) {
    auto image = drawSlider(m_slider);
    EXPECT_NE(pixelAt(image, 66, 12), kBlue);

    // The Settings app replaces the file; nothing tells this process.
    auto path =
        DeviceRoot::resolve("/var/mobile/Library/Preferences/com.varlo.rotixsettings.plist");
    ASSERT_TRUE(path);
    std::filesystem::create_directories(path->parent_path());
    auto bytes = PropertyListFile::serialize(CFPropertyList(CFDictionary{{"radius", 20}}));
    ASSERT_TRUE(bytes);
    ASSERT_TRUE(PropertyListFile::writeAtomically(*path, *bytes));

    image = drawSlider(m_slider);
    EXPECT_EQ(pixelAt(image, 66, 12), kBlue);
}

TEST_F(UICircularSliderDrawing, ARadiusThatIsNotANumberGivesTheDefault) {
    setRadiusSetting("20");
    auto image = drawSlider(m_slider);
    EXPECT_EQ(pixelAt(image, 60, 12), kBlue);
    EXPECT_NE(pixelAt(image, 66, 12), kBlue);
}

TEST_F(UICircularSliderDrawing, OutlandishRadiiDrawWithoutHarm) {
    setRadiusSetting(-5);
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    EXPECT_NE(pixelAt(image, 50, 12), kBlue);

    setRadiusSetting(1 << 30);
    image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(image, 0, 99), kBlue);
}

TEST_F(UICircularSliderDrawing, AnEmptyRangeDrawsAFullRingWithTheThumbAtTwelve) {
    m_slider->setMinimumValue(1);
    ASSERT_EQ(m_slider->maximumValue(), m_slider->minimumValue());
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    for (double degrees : {90.0, 180.0, 270.0})
        EXPECT_EQ(pixelAtClock(image, kCenter, degrees, kRing), kRed) << degrees;
    EXPECT_NEAR(m_slider->thumbCenterPoint().x, 50, 1e-4);
    EXPECT_NEAR(m_slider->thumbCenterPoint().y, 12, 1e-4);
}

TEST_F(UICircularSliderDrawing, AControlTooSmallForARingDrawsItsThumbAtTheCentre) {
    m_slider->setFrame({{0, 0}, {10, 10}});
    m_slider->setValue(0.25f);
    auto image = drawSlider(m_slider);
    ASSERT_TRUE(image);
    EXPECT_EQ(m_slider->thumbCenterPoint(), (CGPoint{5, 5}));
    EXPECT_EQ(pixelAt(image, 5, 5), kBlue);
    EXPECT_EQ(pixelAt(image, 0, 0), kBlue);
}

TEST_F(UICircularSliderDrawing, WithoutAContextNothingIsDrawnAndTheThumbGoesToZero) {
    m_slider->setValue(0.25f);
    ASSERT_EQ(UIGraphicsGetContextStackDepth(), 0u);
    m_slider->drawRect(m_slider->bounds());
    EXPECT_EQ(m_slider->thumbCenterPoint(), CGPointZero);
    EXPECT_EQ(UIGraphicsGetContextStackDepth(), 0u);
}

TEST_F(UICircularSliderDrawing, DrawsAtTheScreenScaleInTheDisplayPass) {
    m_slider->setValue(0.25f);
    displayFrame();
    const auto& contents = m_slider->layer()->contents();
    ASSERT_TRUE(contents);
    double scale = double(contents->width()) / 100;
    EXPECT_GE(scale, 1);
    EXPECT_EQ(pixelFromWord(contents->pixelAt(std::size_t(88 * scale), std::size_t(50 * scale))),
              kBlue);
}

} // namespace
