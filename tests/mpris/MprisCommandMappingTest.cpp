#include "platform/mediaremote/mpris/MprisCommandMapping.h"

#include "platform/mediaremote/MediaRemote.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

using Kind = MprisCommandAction::Kind;
using Direction = MprisSeekStepper::Direction;

MprisMetadata trackWithPath(std::string path = "/org/example/track/3") {
    MprisMetadata metadata;
    metadata.trackId = std::move(path);
    metadata.trackIdIsObjectPath = true;
    metadata.lengthMicroseconds = 200'000'000;
    return metadata;
}

TEST(MprisCommandMapping, TransportCommandsBecomePlayerMethods) {
    EXPECT_EQ(MprisCommandMapping::actionForCommand(kMRTogglePlayPause).method, "PlayPause");
    EXPECT_EQ(MprisCommandMapping::actionForCommand(kMRNextTrack).method, "Next");
    EXPECT_EQ(MprisCommandMapping::actionForCommand(kMRPreviousTrack).method, "Previous");
    EXPECT_EQ(MprisCommandMapping::actionForCommand(kMRPlay).method, "Play");
    EXPECT_EQ(MprisCommandMapping::actionForCommand(kMRPause).method, "Pause");
    EXPECT_EQ(MprisCommandMapping::actionForCommand(kMRNextTrack).kind, Kind::Method);
}

TEST(MprisCommandMapping, HoldingTheSkipButtonsBecomesSeekingSteps) {
    auto check = [](int command, Kind kind, Direction direction) {
        auto action = MprisCommandMapping::actionForCommand(command);
        EXPECT_EQ(action.kind, kind) << command;
        EXPECT_EQ(action.direction, direction) << command;
    };
    check(kMRBeginFastForward, Kind::BeginSeeking, Direction::Forward);
    check(kMREndFastForward, Kind::EndSeeking, Direction::Forward);
    check(kMRBeginRewind, Kind::BeginSeeking, Direction::Backward);
    check(kMREndRewind, Kind::EndSeeking, Direction::Backward);
}

TEST(MprisCommandMapping, UnknownNumbersDoNothing) {
    for (int command : {-1, 6, 7, 12, 99, std::numeric_limits<int>::max()})
        EXPECT_EQ(MprisCommandMapping::actionForCommand(command).kind, Kind::None) << command;
}

TEST(MprisPositionRequests, AnObjectPathTrackIdGetsAnAbsoluteSetPosition) {
    auto request = MprisCommandMapping::positionRequest(trackWithPath(), 50, 100.5);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, MprisPositionRequest::Kind::SetPosition);
    EXPECT_EQ(request->trackId, "/org/example/track/3");
    EXPECT_EQ(request->microseconds, 100'500'000);
}

TEST(MprisPositionRequests, WithoutAUsableTrackIdItSeeksByTheDifference) {
    MprisMetadata missing = trackWithPath();
    missing.trackId.reset();
    MprisMetadata plainString = trackWithPath();
    plainString.trackIdIsObjectPath = false;
    MprisMetadata noTrack = trackWithPath(std::string(MprisMetadata::kNoTrackPath));
    for (const auto& metadata : {missing, plainString, noTrack}) {
        auto forward = MprisCommandMapping::positionRequest(metadata, 40, 100.5);
        ASSERT_TRUE(forward);
        EXPECT_EQ(forward->kind, MprisPositionRequest::Kind::Seek);
        EXPECT_EQ(forward->microseconds, 60'500'000);
        auto back = MprisCommandMapping::positionRequest(metadata, 40, 10);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->microseconds, -30'000'000);
    }
}

TEST(MprisPositionRequests, TargetsAreKeptWithinTheTrack) {
    auto past = MprisCommandMapping::positionRequest(trackWithPath(), 0, 500);
    ASSERT_TRUE(past);
    EXPECT_EQ(past->microseconds, 200'000'000);
    auto before = MprisCommandMapping::positionRequest(trackWithPath(), 0, -3);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->microseconds, 0);
    auto infinite = MprisCommandMapping::positionRequest(trackWithPath(), 0,
                                                         std::numeric_limits<double>::infinity());
    ASSERT_TRUE(infinite);
    EXPECT_EQ(infinite->microseconds, 200'000'000);
    // Without a length, a huge target still makes a number the bus can carry.
    MprisMetadata unknownLength;
    auto huge = MprisCommandMapping::positionRequest(unknownLength, 0, 1e300);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->microseconds,
              static_cast<std::int64_t>(MprisCommandMapping::kLatestPosition * 1e6));
}

TEST(MprisPositionRequests, NothingToDoForNoNumberOrNoDifference) {
    EXPECT_FALSE(MprisCommandMapping::positionRequest(trackWithPath(), 0,
                                                      std::numeric_limits<double>::quiet_NaN()));
    MprisMetadata noId;
    EXPECT_FALSE(MprisCommandMapping::positionRequest(noId, 12.0, 12.0));
    // Where playback is unknown counts as the start.
    auto fromNowhere =
        MprisCommandMapping::positionRequest(noId, std::numeric_limits<double>::quiet_NaN(), 5);
    ASSERT_TRUE(fromNowhere);
    EXPECT_EQ(fromNowhere->microseconds, 5'000'000);
}

} // namespace
