#include "slider/UICircularSlider.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr float kTurn = 6.2831855f;

float translate(float value, float sourceMinimum, float sourceMaximum, float destinationMinimum,
                float destinationMaximum) {
    return translateValueFromSourceIntervalToDestinationInterval(
        value, sourceMinimum, sourceMaximum, destinationMinimum, destinationMaximum);
}

TEST(SliderMapping, ValueToAngleHitsTheEndsAndQuartersExactly) {
    EXPECT_EQ(translate(0, 0, 1, 0, kTurn), 0.0f);
    EXPECT_EQ(translate(1, 0, 1, 0, kTurn), kTurn);
    EXPECT_EQ(translate(0.25f, 0, 1, 0, kTurn), 0x1.921fb6p+0f);
    EXPECT_EQ(translate(0.5f, 0, 1, 0, kTurn), 0x1.921fb6p+1f);
    EXPECT_EQ(translate(0.75f, 0, 1, 0, kTurn), 0x1.2d97c8p+2f);
}

TEST(SliderMapping, AngleToValueRoundsInSinglePrecisionInTheFixedOrder) {
    // Double arithmetic gives 0x1.ca84f8p-8 here and a fused multiply-add
    // 0x1.ca852cp-8; only float steps in the order a * value + (max - a * max)
    // give this.
    EXPECT_EQ(translate(0x1.681eccp-5f, 0, kTurn, 0, 1), 0x1.ca84f6p-8f);
    EXPECT_EQ(translate(0x1.e8bc16p-4f, 0, kTurn, 0, 1), 0x1.37235ep-6f);
    // A fused multiply-add would give 0x1.0603aep-10.
    EXPECT_EQ(translate(0x1.9b90eap-8f, 0, kTurn, 0, 1), 0x1.0602d6p-10f);
}

TEST(SliderMapping, TheOffsetIsTakenFromTheMaximumNotTheMinimum) {
    // On a range other than 0 to 1 the offset (max - a * max) is not zero, and
    // min + (value - min) * a, double arithmetic and fused steps all differ.
    EXPECT_EQ(translate(0x1.9b90eap-8f, 0, kTurn, 0.2f, 0.9f), 0x1.9b0868p-3f);
    EXPECT_EQ(translate(0x1.9b089ap-3f, 0.2f, 0.9f, 0, kTurn), 0x1.9bc4p-8f);
}

TEST(SliderMapping, MapsOtherAndReversedIntervals) {
    EXPECT_EQ(translate(kTurn / 4, 0, kTurn, 0, 100), 25.0f);
    EXPECT_EQ(translate(0.25f, 0, 1, 10, 0), 7.5f);
    EXPECT_EQ(translate(-1, -1, 1, 0, kTurn), 0.0f);
}

TEST(SliderMapping, AnEmptySourceIntervalGivesNotANumberRatherThanTrapping) {
    EXPECT_TRUE(std::isnan(translate(2, 2, 2, 0, kTurn)));
    EXPECT_TRUE(std::isnan(translate(3, 2, 2, 0, kTurn)));
}

// Centre (50, 50) with the reference point at twelve o'clock on a ring of 38,
// as the slider measures a finger on a 100 x 100 control.
constexpr CGPoint kCenter{50, 50};
constexpr CGPoint kTwelve{50, 12};

TEST(SliderMapping, AngleIsNegativeClockwiseAndComesFromAtan2f) {
    // Single-precision pi/2 and pi, widened: a double atan2 would differ in
    // the low bits.
    EXPECT_EQ(angleBetweenThreePoints(kCenter, kTwelve, {90, 50}), -double(0x1.921fb6p+0f));
    EXPECT_EQ(angleBetweenThreePoints(kCenter, kTwelve, {10, 50}), double(0x1.921fb6p+0f));
    EXPECT_EQ(angleBetweenThreePoints(kCenter, kTwelve, {50, 90}), -double(0x1.921fb6p+1f));
    EXPECT_EQ(angleBetweenThreePoints(kCenter, kTwelve, {80, 20}), -double(0x1.921fb6p-1f));
}

TEST(SliderMapping, StraightAboveIsPositiveZeroAndTheCentreIsNegativeZero) {
    CGFloat above = angleBetweenThreePoints(kCenter, kTwelve, {50, 30});
    EXPECT_EQ(above, 0.0);
    EXPECT_FALSE(std::signbit(above));

    CGFloat centre = angleBetweenThreePoints(kCenter, kTwelve, kCenter);
    EXPECT_EQ(centre, 0.0);
    EXPECT_TRUE(std::signbit(centre));
}

TEST(SliderMapping, AngleSumsAreRoundedToFloatBeforeAtan2f) {
    // A hair either side of the upward vertical: tiny angles of opposite
    // sign, each exactly a float.
    CGFloat right = angleBetweenThreePoints(kCenter, kTwelve, {50.001, 20});
    CGFloat left = angleBetweenThreePoints(kCenter, kTwelve, {49.999, 20});
    EXPECT_EQ(right, -double(0x1.179ecap-15f));
    EXPECT_EQ(left, double(0x1.179ecap-15f));
    EXPECT_EQ(right, double(float(right)));
}

} // namespace
