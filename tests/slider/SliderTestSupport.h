#pragma once

#include "platform/ActionRecorder.h"
#include "platform/GraphicsTestSupport.h"
#include "platform/corefoundation/CFPreferences.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "slider/UICircularSlider.h"
#include "support/ManualClockFixture.h"

#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

// Every control event the slider could send, under the name its recorder
// writes down, so a test sees events the slider must not send as well.
inline const std::vector<std::pair<UIControlEvents, std::string>>& sliderEventNames() {
    static const std::vector<std::pair<UIControlEvents, std::string>> names = {
        {UIControlEventTouchDown, "touchDown:"},
        {UIControlEventTouchDownRepeat, "touchDownRepeat:"},
        {UIControlEventTouchDragInside, "touchDragInside:"},
        {UIControlEventTouchDragOutside, "touchDragOutside:"},
        {UIControlEventTouchDragEnter, "touchDragEnter:"},
        {UIControlEventTouchDragExit, "touchDragExit:"},
        {UIControlEventTouchUpInside, "touchUpInside:"},
        {UIControlEventTouchUpOutside, "touchUpOutside:"},
        {UIControlEventTouchCancel, "touchCancel:"},
        {UIControlEventValueChanged, "valueChanged:"},
    };
    return names;
}

using Events = std::vector<std::string>;

// A slider test: manual clock, its own device root and a fresh view of the
// preference domains, since the store keeps one per process.
class SliderTest : public ManualClockTest {
protected:
    void SetUp() override {
        ManualClockTest::SetUp();
        CFPreferencesResetForTesting();
    }

    void TearDown() override {
        ManualClockTest::TearDown();
        CFPreferencesResetForTesting();
    }

    std::shared_ptr<ActionRecorder> recordEvents(const std::shared_ptr<UICircularSlider>& slider) {
        auto recorder = ActionRecorder::create();
        for (const auto& [event, name] : sliderEventNames()) {
            ActionRecorder::addAction(name);
            slider->addTarget(recorder, name, event);
        }
        return recorder;
    }

    // Runs the display pass, as the next frame would.
    void displayFrame() { run(0); }

    static void setRadiusSetting(const CFPropertyList& value) {
        CFPreferencesSetAppValue("radius", value, "com.varlo.rotixsettings");
        CFPreferencesAppSynchronize("com.varlo.rotixsettings");
    }
};

// Draws the slider into a fresh transparent image context of its size.
inline CGImageRef drawSlider(const std::shared_ptr<UICircularSlider>& slider, CGFloat scale = 1) {
    UIGraphicsBeginImageContextWithOptions(slider->bounds().size, false, scale);
    slider->drawRect(slider->bounds());
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image ? image->CGImage() : nullptr;
}

// The pixel under the point at the given clockwise angle from twelve o'clock
// and distance from the centre of a scale-1 drawing.
inline Pixel pixelAtClock(const CGImageRef& image, CGPoint center, double degrees,
                          double distance) {
    double radians = degrees * std::numbers::pi / 180;
    double x = center.x + distance * std::sin(radians);
    double y = center.y - distance * std::cos(radians);
    return pixelAt(image, static_cast<std::size_t>(x), static_cast<std::size_t>(y));
}

inline int countPixels(const CGImageRef& image, bool (*test)(Pixel)) {
    int count = 0;
    for (std::size_t y = 0; y < image->height(); ++y)
        for (std::size_t x = 0; x < image->width(); ++x)
            count += test(pixelAt(image, x, y)) ? 1 : 0;
    return count;
}
