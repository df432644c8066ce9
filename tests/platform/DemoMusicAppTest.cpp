#include "platform/mediaremote/DemoMusicApp.h"

#include "platform/graphics/CGImageIO.h"
#include "platform/mediaremote/DemoMusicArtwork.h"
#include "tests/platform/MediaRemoteTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <set>

namespace {

constexpr double kTolerance = 1e-6;

double timestampOf(const MRNowPlayingInfo& info) {
    const CFPropertyList* value =
        CFDictionaryGetValue(info ? &*info : nullptr, kMRMediaRemoteNowPlayingInfoTimestamp);
    return value && value->date() ? value->date()->absoluteTime : -1;
}

double reportedElapsed(const MRNowPlayingInfo& info) {
    return infoNumber(info, kMRMediaRemoteNowPlayingInfoElapsedTime);
}

std::string titleOf(const MRNowPlayingInfo& info) {
    return infoString(info, kMRMediaRemoteNowPlayingInfoTitle);
}

using DemoMusicClockTest = NowPlayingTest;

TEST_F(DemoMusicClockTest, ReportsElapsedAsOfTheLastChangeWithItsMoment) {
    auto app = useQueue({demoTrack("One", 200)});
    CFAbsoluteTime start = now();
    send(kMRPlay);
    run(10);
    MRNowPlayingInfo info = fetchInfo();
    // Not updated every tick: the reader extrapolates from the timestamp.
    EXPECT_NEAR(reportedElapsed(info), 0, kTolerance);
    EXPECT_NEAR(timestampOf(info), start, kTolerance);
    EXPECT_DOUBLE_EQ(infoNumber(info, kMRMediaRemoteNowPlayingInfoPlaybackRate), 1.0);
    EXPECT_NEAR(app->elapsedTime(), 10, kTolerance);

    send(kMRPause);
    info = fetchInfo();
    EXPECT_NEAR(reportedElapsed(info), 10, kTolerance);
    EXPECT_NEAR(timestampOf(info), start + 10, kTolerance);
    EXPECT_DOUBLE_EQ(infoNumber(info, kMRMediaRemoteNowPlayingInfoPlaybackRate), 0.0);

    run(30);
    EXPECT_NEAR(app->elapsedTime(), 10, kTolerance);
    send(kMRPlay);
    run(2.5);
    info = fetchInfo();
    EXPECT_NEAR(reportedElapsed(info), 10, kTolerance);
    EXPECT_NEAR(timestampOf(info), start + 40, kTolerance);
    // What the player computes: elapsed plus the time since the timestamp.
    EXPECT_NEAR(reportedElapsed(info) + (now() - timestampOf(info)), 12.5, kTolerance);
    EXPECT_NEAR(app->elapsedTime(), 12.5, kTolerance);
}

TEST_F(DemoMusicClockTest, SetElapsedTimeIsClampedToTheTrack) {
    auto app = useQueue({demoTrack("One", 200), demoTrack("Two", 50)});
    MRMediaRemoteSetElapsedTime(75.25);
    EXPECT_NEAR(app->elapsedTime(), 75.25, kTolerance);
    EXPECT_NEAR(reportedElapsed(fetchInfo()), 75.25, kTolerance);
    MRMediaRemoteSetElapsedTime(-5);
    EXPECT_NEAR(app->elapsedTime(), 0, kTolerance);
    MRMediaRemoteSetElapsedTime(1e9);
    EXPECT_NEAR(app->elapsedTime(), 200, kTolerance);
    MRMediaRemoteSetElapsedTime(std::numeric_limits<double>::quiet_NaN());
    EXPECT_NEAR(app->elapsedTime(), 200, kTolerance);
    // Paused at the very end the track waits there.
    run(5);
    EXPECT_EQ(app->currentIndex(), 0u);
}

TEST_F(DemoMusicClockTest, SeekingToTheEndWhilePlayingMovesOn) {
    auto app = useQueue({demoTrack("One", 200), demoTrack("Two", 50)});
    app->play();
    MRMediaRemoteSetElapsedTime(500);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(app->currentIndex(), 1u);
    EXPECT_TRUE(app->isPlaying());
}

TEST_F(DemoMusicClockTest, SeekingWhilePlayingRestartsTheCountdownToTheEnd) {
    auto app = useQueue({demoTrack("One", 100), demoTrack("Two", 100)});
    app->play();
    run(50);
    MRMediaRemoteSetElapsedTime(10);
    run(89);
    EXPECT_EQ(app->currentIndex(), 0u);
    EXPECT_NEAR(app->elapsedTime(), 99, kTolerance);
    run(1);
    EXPECT_EQ(app->currentIndex(), 1u);
}

using DemoMusicTransportTest = NowPlayingTest;

TEST_F(DemoMusicTransportTest, ToggleSwitchesAndPostsOnlyThePlayingChange) {
    auto app = useQueue({demoTrack("One", 200)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    send(kMRTogglePlayPause);
    EXPECT_TRUE(app->isPlaying());
    send(kMRTogglePlayPause);
    EXPECT_FALSE(app->isPlaying());
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kPlaying, kPlaying}));
    // Play while playing and pause while paused change nothing and say nothing.
    forgetPosted();
    send(kMRPause);
    send(kMRPlay);
    send(kMRPlay);
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kPlaying}));
}

TEST_F(DemoMusicTransportTest, NextStartsTheFollowingTrackAtZeroKeepingTheState) {
    auto app = useQueue({demoTrack("One", 200), demoTrack("Two", 100)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    app->play();
    run(40);
    forgetPosted();
    send(kMRNextTrack);
    EXPECT_EQ(app->currentIndex(), 1u);
    EXPECT_TRUE(app->isPlaying());
    MRNowPlayingInfo info = fetchInfo();
    EXPECT_EQ(titleOf(info), "Two");
    EXPECT_NEAR(reportedElapsed(info), 0, kTolerance);
    EXPECT_NEAR(timestampOf(info), now(), kTolerance);
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo}));
}

TEST_F(DemoMusicTransportTest, NextOnTheLastTrackLeavesNothingPlaying) {
    auto app = useQueue({demoTrack("One", 200)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    app->play();
    NSRunLoop::mainRunLoop().runUntilIdle();
    forgetPosted();
    send(kMRNextTrack);
    EXPECT_FALSE(fetchInfo().has_value());
    EXPECT_FALSE(app->isPlaying());
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo, kPlaying}));
    // Play then starts the queue again from the top.
    send(kMRPlay);
    EXPECT_EQ(titleOf(fetchInfo()), "One");
    EXPECT_TRUE(app->isPlaying());
}

TEST_F(DemoMusicTransportTest, PreviousRestartsAfterThreeSecondsElseGoesBack) {
    auto app = useQueue({demoTrack("One", 200), demoTrack("Two", 200)});
    app->nextTrack();
    app->play();
    run(3.5);
    send(kMRPreviousTrack);
    EXPECT_EQ(app->currentIndex(), 1u);
    EXPECT_NEAR(app->elapsedTime(), 0, kTolerance);
    EXPECT_TRUE(app->isPlaying());
    // Exactly three seconds in is not "more than three": back it goes.
    run(3);
    send(kMRPreviousTrack);
    EXPECT_EQ(app->currentIndex(), 0u);
    EXPECT_NEAR(app->elapsedTime(), 0, kTolerance);
    EXPECT_TRUE(app->isPlaying());
    // On the first track, going back restarts it.
    run(1);
    send(kMRPreviousTrack);
    EXPECT_EQ(app->currentIndex(), 0u);
    EXPECT_NEAR(app->elapsedTime(), 0, kTolerance);
}

TEST_F(DemoMusicTransportTest, PreviousAfterTheQueuePlayedOutReturnsToTheLastTrack) {
    auto app = useQueue({demoTrack("One", 10), demoTrack("Two", 10)});
    app->play();
    run(25);
    ASSERT_FALSE(app->currentIndex());
    send(kMRPreviousTrack);
    EXPECT_EQ(app->currentIndex(), 1u);
    EXPECT_FALSE(app->isPlaying());
}

TEST_F(DemoMusicTransportTest, FastForwardRunsAtFourTimesWhileHeld) {
    auto app = useQueue({demoTrack("One", 200)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    app->play();
    run(10);
    forgetPosted();
    send(kMRBeginFastForward);
    run(5);
    EXPECT_NEAR(app->elapsedTime(), 30, kTolerance);
    MRNowPlayingInfo info = fetchInfo();
    EXPECT_NEAR(reportedElapsed(info), 10, kTolerance);
    EXPECT_DOUBLE_EQ(infoNumber(info, kMRMediaRemoteNowPlayingInfoPlaybackRate), 4.0);
    send(kMREndFastForward);
    run(1);
    EXPECT_NEAR(app->elapsedTime(), 31, kTolerance);
    EXPECT_TRUE(app->isPlaying());
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo, kInfo}));
    // An end without a begin is nothing.
    forgetPosted();
    send(kMREndFastForward);
    EXPECT_TRUE(postedNames().empty());
}

TEST_F(DemoMusicTransportTest, FastForwardWhilePausedMovesButStaysPaused) {
    auto app = useQueue({demoTrack("One", 200)});
    send(kMRBeginFastForward);
    run(2);
    send(kMREndFastForward);
    run(10);
    EXPECT_NEAR(app->elapsedTime(), 8, kTolerance);
    EXPECT_FALSE(app->isPlaying());
}

TEST_F(DemoMusicTransportTest, FastForwardPastTheEndMovesToTheNextTrack) {
    auto app = useQueue({demoTrack("One", 20), demoTrack("Two", 200)});
    app->play();
    send(kMRBeginFastForward);
    run(5);
    EXPECT_EQ(app->currentIndex(), 1u);
    // The new track plays at normal speed; the late end command changes nothing.
    EXPECT_NEAR(app->elapsedTime(), 0, kTolerance);
    run(2);
    send(kMREndFastForward);
    EXPECT_NEAR(app->elapsedTime(), 2, kTolerance);
}

TEST_F(DemoMusicTransportTest, RewindRunsBackwardsAtFourTimesAndStopsAtZero) {
    auto app = useQueue({demoTrack("One", 200)});
    app->play();
    run(10);
    send(kMRBeginRewind);
    run(1);
    EXPECT_NEAR(app->elapsedTime(), 6, kTolerance);
    run(5);
    EXPECT_NEAR(app->elapsedTime(), 0, kTolerance);
    MRNowPlayingInfo info = fetchInfo();
    EXPECT_NEAR(reportedElapsed(info), 0, kTolerance);
    EXPECT_DOUBLE_EQ(infoNumber(info, kMRMediaRemoteNowPlayingInfoPlaybackRate), 0.0);
    EXPECT_EQ(app->currentIndex(), 0u);
    send(kMREndRewind);
    run(3);
    EXPECT_NEAR(app->elapsedTime(), 3, kTolerance);
    EXPECT_TRUE(app->isPlaying());
}

TEST_F(DemoMusicTransportTest, EndCommandsOnlyEndTheirOwnKindOfSeek) {
    auto app = useQueue({demoTrack("One", 200)});
    MRMediaRemoteSetElapsedTime(100);
    send(kMRBeginRewind);
    send(kMREndFastForward);
    run(1);
    EXPECT_NEAR(app->elapsedTime(), 96, kTolerance);
    send(kMRBeginFastForward);
    run(1);
    EXPECT_NEAR(app->elapsedTime(), 100, kTolerance);
    send(kMREndFastForward);
    run(1);
    EXPECT_NEAR(app->elapsedTime(), 100, kTolerance);
}

TEST_F(DemoMusicTransportTest, UnknownCommandsAreIgnored) {
    auto app = useQueue({demoTrack("One", 200)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    for (int command : {-1, 6, 7, 12, 1000})
        send(command);
    EXPECT_TRUE(postedNames().empty());
    EXPECT_FALSE(app->isPlaying());
}

using DemoMusicQueueTest = NowPlayingTest;

TEST_F(DemoMusicQueueTest, TrackEndAdvancesAndTheLastEndStopsEverything) {
    auto app = useQueue({demoTrack("One", 100), demoTrack("Two", 3723)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    app->play();
    NSRunLoop::mainRunLoop().runUntilIdle();
    forgetPosted();
    run(99.5);
    EXPECT_EQ(app->currentIndex(), 0u);
    EXPECT_TRUE(postedNames().empty());
    run(0.5);
    EXPECT_EQ(app->currentIndex(), 1u);
    EXPECT_TRUE(app->isPlaying());
    MRNowPlayingInfo info = fetchInfo();
    EXPECT_NEAR(reportedElapsed(info), 0, kTolerance);
    EXPECT_NEAR(timestampOf(info), now(), kTolerance);
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo}));

    forgetPosted();
    run(3723);
    EXPECT_FALSE(app->currentIndex());
    EXPECT_FALSE(app->isPlaying());
    EXPECT_FALSE(fetchInfo().has_value());
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo, kPlaying}));
    run(1000);
    EXPECT_EQ(postedNames().size(), 2u);
}

TEST_F(DemoMusicQueueTest, PausedTracksNeverEnd) {
    auto app = useQueue({demoTrack("One", 10), demoTrack("Two", 10)});
    app->play();
    run(5);
    app->pause();
    run(100);
    EXPECT_EQ(app->currentIndex(), 0u);
    EXPECT_NEAR(app->elapsedTime(), 5, kTolerance);
}

TEST_F(DemoMusicQueueTest, TracksWithoutAUsableLengthEndAtOnce) {
    auto app = useQueue({demoTrack("Zero", 0), demoTrack("NaN", std::nan("")),
                         demoTrack("Negative", -4), demoTrack("Real", 30)});
    EXPECT_DOUBLE_EQ(infoNumber(fetchInfo(), kMRMediaRemoteNowPlayingInfoDuration), 0.0);
    app->play();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(titleOf(fetchInfo()), "Real");
    EXPECT_TRUE(app->isPlaying());
}

TEST_F(DemoMusicQueueTest, AnEmptyQueueIsNothingPlayingAndCommandsDoNothing) {
    auto app = useQueue({});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    for (int command : {kMRTogglePlayPause, kMRPlay, kMRNextTrack, kMRPreviousTrack,
                        kMRBeginFastForward, kMREndFastForward, kMRBeginRewind, kMREndRewind})
        send(command);
    MRMediaRemoteSetElapsedTime(10);
    run(10);
    EXPECT_FALSE(fetchInfo().has_value());
    EXPECT_FALSE(app->isPlaying());
    EXPECT_EQ(NowPlayingService::shared().nowPlayingApplicationBundleIdentifier(), std::nullopt);
    EXPECT_TRUE(postedNames().empty());
}

TEST_F(DemoMusicQueueTest, AppendingPostsAndRevivesAPlayedOutQueue) {
    auto app = useQueue({});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    EXPECT_TRUE(app->appendTrack(demoTrack("One", 10)));
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo}));
    EXPECT_EQ(titleOf(fetchInfo()), "One");
    EXPECT_FALSE(app->isPlaying());

    app->play();
    run(11);
    ASSERT_FALSE(fetchInfo().has_value());
    app->appendTrack(demoTrack("Two", 10));
    EXPECT_EQ(titleOf(fetchInfo()), "Two");
    EXPECT_NEAR(app->elapsedTime(), 0, kTolerance);
    // Appending behind the current track leaves it alone.
    app->appendTrack(demoTrack("Three", 10));
    EXPECT_EQ(titleOf(fetchInfo()), "Two");
}

TEST_F(DemoMusicQueueTest, ClearingWhilePlayingPostsBothAndCancelsTheEnd) {
    auto app = useQueue({demoTrack("One", 10)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    app->play();
    NSRunLoop::mainRunLoop().runUntilIdle();
    forgetPosted();
    app->clearQueue();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo, kPlaying}));
    EXPECT_EQ(app->queueLength(), 0u);
    forgetPosted();
    run(20);
    EXPECT_TRUE(postedNames().empty());
}

TEST_F(DemoMusicQueueTest, TheQueueIsBounded) {
    std::vector<DemoMusicTrack> queue(DemoMusicApp::kMaximumQueueLength + 3, demoTrack("x", 1));
    auto app = useQueue(std::move(queue));
    EXPECT_EQ(app->queueLength(), DemoMusicApp::kMaximumQueueLength);
    EXPECT_FALSE(app->appendTrack(demoTrack("y", 1)));
}

TEST_F(DemoMusicQueueTest, AGoneApplicationLeavesNoTimerBehind) {
    auto app = useQueue({demoTrack("One", 10)});
    app->play();
    size_t scheduled = NSRunLoop::mainRunLoop().scheduledCount();
    NowPlayingService::shared().setSource(nullptr);
    app.reset();
    m_app.reset();
    EXPECT_EQ(NSRunLoop::mainRunLoop().scheduledCount(), scheduled - 1);
}

TEST(DemoMusicPlaylistTest, ShipsDistinctDrawnCoversAndTheAwkwardCases) {
    auto playlist = DemoMusicApp::demoPlaylist();
    ASSERT_GE(playlist.size(), 4u);
    ASSERT_LE(playlist.size(), 5u);
    std::set<std::vector<std::uint8_t>> covers;
    bool longerThanAnHour = false;
    bool longTitle = false;
    for (const auto& track : playlist) {
        EXPECT_FALSE(track.title.empty());
        EXPECT_FALSE(track.artist.empty());
        EXPECT_EQ(track.bundleIdentifier, "com.rotix.demo-music");
        longerThanAnHour |= track.duration > 3600;
        longTitle |= track.title.size() > 60;
        ASSERT_TRUE(track.artwork);
        auto decoded = CGImageDecode(*track.artwork);
        ASSERT_TRUE(decoded.image) << track.title;
        EXPECT_EQ(CGImageGetWidth(decoded.image), kDemoMusicArtworkSide);
        EXPECT_EQ(CGImageGetHeight(decoded.image), kDemoMusicArtworkSide);
        covers.insert(*track.artwork);
    }
    EXPECT_EQ(covers.size(), playlist.size());
    EXPECT_TRUE(longerThanAnHour);
    EXPECT_TRUE(longTitle);
}

TEST(DemoMusicPlaylistTest, ArtworkOfNoSizeIsNothing) {
    EXPECT_FALSE(DemoMusicArtworkCreatePNG(DemoMusicArtworkDesign::Rings, 0));
    EXPECT_FALSE(DemoMusicArtworkCreatePNG(DemoMusicArtworkDesign::Rings, 100000));
}

} // namespace
