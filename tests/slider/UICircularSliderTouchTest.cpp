#include "platform/uikit/UIWindow.h"
#include "slider/SliderTestSupport.h"

namespace {

// A 100 x 100 slider at (50, 50) in a 200 x 200 window, drawn once, so its
// thumb starts at twelve o'clock: (50, 12) in the slider, (100, 62) on screen.
class UICircularSliderTouch : public SliderTest {
protected:
    void SetUp() override {
        SliderTest::SetUp();
        m_window = UIWindow::create({{0, 0}, {200, 200}});
        m_slider = UICircularSlider::create({{50, 50}, {100, 100}});
        m_window->addSubview(m_slider);
        displayFrame();
        m_recorder = recordEvents(m_slider);
    }

    // Slider coordinates to window coordinates.
    static CGPoint screen(CGPoint p) { return {p.x + 50, p.y + 50}; }
    void down(CGPoint p) { m_window->touchDown(screen(p)); }
    void move(CGPoint p) { m_window->touchMove(screen(p)); }
    void up(CGPoint p) { m_window->touchUp(screen(p)); }

    // Starts a drag far enough from the target that the pan has begun, then
    // moves the finger onto the target and reads the value there.
    float valueWithFingerAt(CGPoint target) {
        down({95, 95});
        move({95, 80});
        move(target);
        float value = m_slider->value();
        m_window->touchCancel();
        return value;
    }

    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<UICircularSlider> m_slider;
    std::shared_ptr<ActionRecorder> m_recorder;
};

TEST_F(UICircularSliderTouch, TheFingersAngleFromTwelveBecomesTheValue) {
    EXPECT_EQ(valueWithFingerAt({90, 50}), 0.25f);
    EXPECT_EQ(valueWithFingerAt({50, 90}), 0.5f);
    EXPECT_EQ(valueWithFingerAt({10, 50}), 0.75f);
    EXPECT_EQ(valueWithFingerAt({50, 30}), 1.0f);
    EXPECT_EQ(valueWithFingerAt({80, 20}), 0.125f);
    // Distance from the centre does not matter, nor does the ring.
    EXPECT_EQ(valueWithFingerAt({99, 50}), 0.25f);
    EXPECT_EQ(valueWithFingerAt({51, 50}), 0.25f);
}

TEST_F(UICircularSliderTouch, AHairEitherSideOfStraightUpIsNearEachEnd) {
    float right = valueWithFingerAt({50.001, 20});
    EXPECT_GT(right, 0.0f);
    EXPECT_LT(right, 1e-4f);
    float left = valueWithFingerAt({49.999, 20});
    EXPECT_LT(left, 1.0f);
    EXPECT_GT(left, 1.0f - 1e-4f);
}

TEST_F(UICircularSliderTouch, AFingerAtTheCentreGivesTheMaximum) {
    m_slider->setValue(0.3f);
    EXPECT_EQ(valueWithFingerAt({50, 50}), 1.0f);
}

TEST_F(UICircularSliderTouch, TheMovementThatBeginsThePanChangesNothing) {
    down({90, 50});
    move({90, 62});
    EXPECT_EQ(m_slider->value(), 0.0f);
    EXPECT_TRUE(m_recorder->actions.empty());
    move({50, 90});
    EXPECT_EQ(m_slider->value(), 0.5f);
    EXPECT_EQ(m_recorder->actions, Events{"valueChanged:"});
    m_window->touchCancel();
}

TEST_F(UICircularSliderTouch, ADragReportsEachChangeThenTheTouchUp) {
    down({90, 50});
    move({90, 62});
    move({50, 90});
    displayFrame();
    move({10, 50});
    displayFrame();
    move({50, 10});
    displayFrame();
    up({50, 10});
    EXPECT_EQ(m_slider->value(), 1.0f);
    EXPECT_EQ(m_recorder->actions,
              (Events{"valueChanged:", "valueChanged:", "valueChanged:", "touchUpInside:"}));
}

TEST_F(UICircularSliderTouch, ANonContinuousDragReportsOnceBeforeTheTouchUp) {
    m_slider->setContinuous(false);
    down({90, 50});
    move({90, 62});
    move({50, 90});
    move({10, 50});
    EXPECT_EQ(m_slider->value(), 0.75f);
    EXPECT_TRUE(m_recorder->actions.empty());
    up({10, 50});
    EXPECT_EQ(m_recorder->actions, (Events{"valueChanged:", "touchUpOutside:"}));
}

TEST_F(UICircularSliderTouch, TouchUpUsesTheThumbBoxOfTheLastDraw) {
    down({90, 50});
    move({90, 62});
    move({90, 50});
    // Not drawn yet: the box is still at twelve, so a lift on the new
    // thumb position is outside it.
    up({90, 50});
    EXPECT_EQ(m_recorder->actions, (Events{"valueChanged:", "touchUpOutside:"}));

    m_recorder->actions.clear();
    displayFrame();
    down({90, 30});
    move({90, 42});
    move({88, 50});
    up({88, 50});
    EXPECT_EQ(m_recorder->actions, (Events{"touchUpInside:"}));
}

TEST_F(UICircularSliderTouch, TouchDownOnlyInsideTheThumbBox) {
    down({61, 12});
    EXPECT_EQ(m_recorder->actions, Events{"touchDown:"});
    // The tap takes the touch: no drag answers the touch-down, so it is cancelled.
    up({61, 12});
    EXPECT_EQ(m_recorder->actions, (Events{"touchDown:", "touchCancel:"}));

    m_recorder->actions.clear();
    down({62, 12});
    up({62, 12});
    EXPECT_TRUE(m_recorder->actions.empty());

    down({38, 0});
    EXPECT_EQ(m_recorder->actions, Events{"touchDown:"});
    m_window->touchCancel();
}

TEST_F(UICircularSliderTouch, ATapChangesNothingAndReportsNothing) {
    m_slider->setValue(0.3f);
    m_recorder->actions.clear();
    down({90, 50});
    up({90, 50});
    EXPECT_EQ(m_slider->value(), 0.3f);
    EXPECT_TRUE(m_recorder->actions.empty());
}

TEST_F(UICircularSliderTouch, ACancelledDragKeepsTheLastValueAndReportsTheCancel) {
    down({90, 50});
    move({90, 62});
    move({50, 90});
    m_window->touchCancel();
    EXPECT_EQ(m_slider->value(), 0.5f);
    EXPECT_EQ(m_recorder->actions, (Events{"valueChanged:", "touchCancel:"}));
}

TEST_F(UICircularSliderTouch, ADragFromTheThumbReportsTouchDownFirst) {
    down({50, 12});
    move({60, 20});
    move({90, 50});
    up({90, 50});
    EXPECT_EQ(m_recorder->actions, (Events{"touchDown:", "valueChanged:", "touchUpOutside:"}));
}

TEST_F(UICircularSliderTouch, DragsOverAnEmptyRangeLeaveTheValueAlone) {
    m_slider->setMinimumValue(1);
    displayFrame();
    m_recorder->actions.clear();
    down({90, 50});
    move({90, 62});
    move({50, 90});
    up({50, 90});
    EXPECT_EQ(m_slider->value(), 1.0f);
    EXPECT_EQ(m_recorder->actions, Events{"touchUpOutside:"});
}

TEST_F(UICircularSliderTouch, ATinyControlStillFollowsTheFingersAngle) {
    m_slider->setFrame({{50, 50}, {10, 10}});
    displayFrame();
    ASSERT_EQ(m_slider->sliderRadius(), -7);
    down({9, 9});
    move({9, -2});
    move({9, 5});
    EXPECT_EQ(m_slider->value(), 0.25f);
    move({5, 9});
    EXPECT_EQ(m_slider->value(), 0.5f);
    up({5, 9});
    // The thumb box sits at the centre, where the thumb was drawn, and
    // covers the whole control.
    EXPECT_EQ(m_recorder->actions,
              (Events{"touchDown:", "valueChanged:", "valueChanged:", "touchUpInside:"}));
}

} // namespace
