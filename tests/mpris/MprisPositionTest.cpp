#include "platform/mediaremote/mpris/MprisPosition.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double kTolerance = 1e-9;
constexpr CFAbsoluteTime kStart = 1000.0;

MprisPosition playingAt(double seconds, CFAbsoluteTime when) {
    MprisPosition position;
    position.setPlaying(true, when);
    position.resync(static_cast<std::int64_t>(seconds * 1e6), when);
    return position;
}

TEST(MprisPosition, MovesOnWithTheClockWhilePlaying) {
    MprisPosition position = playingAt(10, kStart);
    EXPECT_NEAR(position.secondsAt(kStart), 10, kTolerance);
    EXPECT_NEAR(position.secondsAt(kStart + 2.5), 12.5, kTolerance);
    // The read itself is kept as it was: readers extrapolate from it.
    EXPECT_NEAR(position.readSeconds(), 10, kTolerance);
    EXPECT_DOUBLE_EQ(position.readTime(), kStart);
    EXPECT_DOUBLE_EQ(position.effectiveRate(), 1.0);
}

TEST(MprisPosition, APauseFoldsWhatPlayedAndThenStandsStill) {
    MprisPosition position = playingAt(10, kStart);
    position.setPlaying(false, kStart + 4);
    EXPECT_NEAR(position.readSeconds(), 14, kTolerance);
    EXPECT_DOUBLE_EQ(position.readTime(), kStart + 4);
    EXPECT_NEAR(position.secondsAt(kStart + 100), 14, kTolerance);
    EXPECT_DOUBLE_EQ(position.effectiveRate(), 0.0);
    position.setPlaying(true, kStart + 100);
    EXPECT_NEAR(position.secondsAt(kStart + 101), 15, kTolerance);
}

TEST(MprisPosition, ARateChangeFoldsAtTheOldRateFirst) {
    MprisPosition position = playingAt(0, kStart);
    position.setRate(2.0, kStart + 3);
    EXPECT_NEAR(position.readSeconds(), 3, kTolerance);
    EXPECT_NEAR(position.secondsAt(kStart + 5), 7, kTolerance);
    position.setRate(0.5, kStart + 5);
    EXPECT_NEAR(position.secondsAt(kStart + 9), 9, kTolerance);
}

TEST(MprisPosition, RatesThatAreNoUsableNumberCountAsNormalSpeed) {
    for (double rate : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()}) {
        MprisPosition position = playingAt(0, kStart);
        position.setRate(rate, kStart);
        EXPECT_DOUBLE_EQ(position.rate(), 1.0) << rate;
    }
    MprisPosition fast = playingAt(0, kStart);
    fast.setRate(1e9, kStart);
    EXPECT_DOUBLE_EQ(fast.rate(), MprisPosition::kMaximumRate);
}

TEST(MprisPosition, AResyncReplacesTheExtrapolation) {
    MprisPosition position = playingAt(10, kStart);
    // The player jumped back (Seeked) three seconds later.
    position.resync(2'000'000, kStart + 3);
    EXPECT_NEAR(position.secondsAt(kStart + 4), 3, kTolerance);
}

TEST(MprisPosition, StaysWithinTheTrack) {
    MprisPosition position = playingAt(100, kStart);
    EXPECT_NEAR(position.secondsAt(kStart + 50, 120.0), 120, kTolerance);
    // An unknown (zero) length does not hold it back.
    EXPECT_NEAR(position.secondsAt(kStart + 50, 0.0), 150, kTolerance);
    MprisPosition negative;
    negative.resync(-5'000'000, kStart);
    EXPECT_NEAR(negative.secondsAt(kStart), 0, kTolerance);
}

TEST(MprisPosition, AClockSetBackNeverMovesThePositionBackwards) {
    MprisPosition position = playingAt(10, kStart);
    EXPECT_NEAR(position.secondsAt(kStart - 60), 10, kTolerance);
}

TEST(MprisPosition, ANewTrackForgetsThePositionUntilItIsRead) {
    MprisPosition position = playingAt(30, kStart);
    position.reset(kStart + 1);
    EXPECT_FALSE(position.isKnown());
    // Still playing: the new track runs from its start.
    EXPECT_NEAR(position.secondsAt(kStart + 3), 2, kTolerance);
    position.resync(500'000, kStart + 3);
    EXPECT_TRUE(position.isKnown());
}

} // namespace
