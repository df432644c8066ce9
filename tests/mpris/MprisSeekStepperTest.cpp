#include "platform/mediaremote/mpris/MprisSeekStepper.h"

#include "support/ManualClockFixture.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

using Direction = MprisSeekStepper::Direction;

class MprisSeekStepperTest : public ManualClockTest {
protected:
    struct Step {
        double at;
        std::int64_t offset;
    };

    void SetUp() override {
        ManualClockTest::SetUp();
        m_start = now();
        m_stepper = MprisSeekStepper::create([this](std::int64_t offset) {
            m_steps.push_back({now() - m_start, offset});
            if (m_onStep)
                m_onStep();
        });
    }

    std::vector<std::int64_t> offsets() const {
        std::vector<std::int64_t> result;
        for (const auto& step : m_steps)
            result.push_back(step.offset);
        return result;
    }

    CFAbsoluteTime m_start = 0;
    std::shared_ptr<MprisSeekStepper> m_stepper;
    std::vector<Step> m_steps;
    std::function<void()> m_onStep;
};

TEST_F(MprisSeekStepperTest, StepsEveryQuarterSecondGrowingFromTwoSecondsToTen) {
    m_stepper->begin(Direction::Forward);
    run(3.0);
    ASSERT_EQ(m_steps.size(), 13u);
    for (size_t i = 0; i < m_steps.size(); ++i)
        EXPECT_NEAR(m_steps[i].at, 0.25 * static_cast<double>(i), 1e-9) << i;
    std::vector<std::int64_t> expected = {2'000'000,  3'000'000,  4'000'000, 5'000'000,  6'000'000,
                                          7'000'000,  8'000'000,  9'000'000, 10'000'000, 10'000'000,
                                          10'000'000, 10'000'000, 10'000'000};
    EXPECT_EQ(offsets(), expected);
}

TEST_F(MprisSeekStepperTest, RewindStepsBackwards) {
    m_stepper->begin(Direction::Backward);
    run(0.3);
    EXPECT_EQ(offsets(), (std::vector<std::int64_t>{-2'000'000, -3'000'000}));
}

TEST_F(MprisSeekStepperTest, TheEndCommandStopsItAndNothingFollows) {
    m_stepper->begin(Direction::Forward);
    run(0.6);
    m_stepper->end(Direction::Forward);
    EXPECT_FALSE(m_stepper->direction());
    size_t taken = m_steps.size();
    run(5);
    EXPECT_EQ(m_steps.size(), taken);
}

TEST_F(MprisSeekStepperTest, TheOtherDirectionsEndDoesNotStopIt) {
    m_stepper->begin(Direction::Forward);
    m_stepper->end(Direction::Backward);
    run(0.5);
    EXPECT_EQ(m_steps.size(), 3u);
    EXPECT_EQ(m_stepper->direction(), Direction::Forward);
}

TEST_F(MprisSeekStepperTest, BeginningAgainInTheSameDirectionKeepsThePace) {
    m_stepper->begin(Direction::Forward);
    run(0.3);
    m_stepper->begin(Direction::Forward);
    run(0.2);
    // One step at 0, one at 0.25, one at 0.5: the second begin added none.
    EXPECT_EQ(offsets(), (std::vector<std::int64_t>{2'000'000, 3'000'000, 4'000'000}));
}

TEST_F(MprisSeekStepperTest, TurningRoundStartsAgainFromTheFirstStep) {
    m_stepper->begin(Direction::Forward);
    run(0.6);
    m_stepper->begin(Direction::Backward);
    run(0.3);
    EXPECT_EQ(offsets(),
              (std::vector<std::int64_t>{2'000'000, 3'000'000, 4'000'000, -2'000'000, -3'000'000}));
}

TEST_F(MprisSeekStepperTest, AHoldWhoseEndNeverComesStopsByItself) {
    m_stepper->begin(Direction::Forward);
    run(120);
    EXPECT_EQ(m_steps.size(), static_cast<size_t>(MprisSeekStepper::kMaximumSteps));
    EXPECT_FALSE(m_stepper->direction());
}

TEST_F(MprisSeekStepperTest, AHandlerThatStopsTheStepperEndsIt) {
    m_onStep = [this] {
        if (m_steps.size() == 2)
            m_stepper->stop();
    };
    m_stepper->begin(Direction::Forward);
    run(2);
    EXPECT_EQ(m_steps.size(), 2u);
}

TEST_F(MprisSeekStepperTest, ADestroyedStepperLeavesNothingScheduled) {
    m_stepper->begin(Direction::Forward);
    size_t scheduled = NSRunLoop::mainRunLoop().scheduledCount();
    m_stepper.reset();
    EXPECT_EQ(NSRunLoop::mainRunLoop().scheduledCount(), scheduled - 1);
    run(2);
    EXPECT_EQ(m_steps.size(), 1u);
}

} // namespace
