#include "platform/foundation/NSDate.h"
#include "platform/storekit/SKUIImageColorAnalyzer.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"
#include "player/PlayerFixture.h"
#include "slider/UICircularSlider.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

namespace {

class RotixNowPlaying : public PlayerTest {
protected:
    // Information with only a title, so each fetch shows which it read.
    static CFDictionary titled(const std::string& title) {
        CFDictionary info;
        info[kMRMediaRemoteNowPlayingInfoTitle] = title;
        return info;
    }

    static void postInfoChanged() {
        NSNotificationCenter::defaultCenter()->postNotificationName(
            kMRMediaRemoteNowPlayingInfoDidChangeNotification, nullptr);
        settle();
    }

    // A player whose ticks run only when the test calls tick: itself.
    std::shared_ptr<Rotix> makeQuietPlayer() {
        auto view = makePlayer();
        view->timer()->invalidate();
        return view;
    }

    // One tick, with the reply run at this very moment.
    void tickWith(const std::shared_ptr<Rotix>& view, MRNowPlayingInfo info) {
        source->setInfoQuietly(std::move(info));
        view->tick(nullptr);
        settle();
    }

    CFData fileBytes(const std::string& name) {
        std::ifstream file(root() / kAssetFolder / name, std::ios::binary);
        return std::make_shared<const std::vector<std::uint8_t>>(
            std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
};

TEST_F(RotixNowPlaying, FirstCallFetchesAtOnceAndLeavesNoRetry) {
    source->setInfoQuietly(titled("First"));
    auto view = makePlayer();
    EXPECT_EQ(view->titleLabel()->text(), "First");
    ASSERT_TRUE(view->_lastCall());
    EXPECT_EQ(view->_lastCall()->timeIntervalSinceReferenceDate(), now() + 1.0);
    EXPECT_EQ(view->_delayTimer(), nullptr);
}

TEST_F(RotixNowPlaying, NotificationsInsideASecondEndInOneRetry) {
    auto view = makeQuietPlayer();
    run(2);
    source->setInfoQuietly(titled("A"));
    postInfoChanged();
    EXPECT_EQ(view->titleLabel()->text(), "A");

    // 0.3 s later: throttled, so a retry 1.5 s later fetches instead.
    run(0.3);
    source->setInfoQuietly(titled("B"));
    postInfoChanged();
    EXPECT_EQ(view->titleLabel()->text(), "A");
    ASSERT_TRUE(view->_delayTimer());
    EXPECT_DOUBLE_EQ(view->_delayTimer()->fireDate(), now() + 1.5);
    run(1.49);
    EXPECT_EQ(view->titleLabel()->text(), "A");
    run(0.02);
    EXPECT_EQ(view->titleLabel()->text(), "B");
}

TEST_F(RotixNowPlaying, EachThrottledCallReplacesThePendingRetry) {
    auto view = makeQuietPlayer();
    run(2);
    postInfoChanged();
    std::vector<std::shared_ptr<NSTimer>> retries;
    for (int i = 0; i < 3; ++i) {
        run(0.2);
        source->setInfoQuietly(titled("burst " + std::to_string(i)));
        postInfoChanged();
        retries.push_back(view->_delayTimer());
    }
    ASSERT_TRUE(retries[0] && retries[1] && retries[2]);
    EXPECT_FALSE(retries[0]->isValid());
    EXPECT_FALSE(retries[1]->isValid());
    EXPECT_TRUE(retries[2]->isValid());

    // The first retry would have fired now; it was replaced.
    source->setInfoQuietly(titled("late"));
    run(1.5 - 0.4 + 0.01);
    EXPECT_NE(view->titleLabel()->text(), "late");
    run(0.4);
    EXPECT_EQ(view->titleLabel()->text(), "late");
    // The fired retry stays stored.
    EXPECT_EQ(view->_delayTimer(), retries[2]);
}

TEST_F(RotixNowPlaying, ACallExactlyAtTheEarliestMomentIsStillThrottled) {
    auto view = makeQuietPlayer();
    source->setInfoQuietly(titled("later"));
    run(1.0);
    postInfoChanged();
    EXPECT_NE(view->titleLabel()->text(), "later");
    EXPECT_TRUE(view->_delayTimer() && view->_delayTimer()->isValid());
    run(1.5);
    EXPECT_EQ(view->titleLabel()->text(), "later");
}

TEST_F(RotixNowPlaying, ChangeReportedByTheApplicationReachesThePlayer) {
    auto view = makeQuietPlayer();
    run(1.5);
    source->setInfo(titled("From the app"));
    settle();
    EXPECT_EQ(view->titleLabel()->text(), "From the app");
    ASSERT_TRUE(view->dict());
    EXPECT_EQ(*view->dict(), titled("From the app"));
}

TEST_F(RotixNowPlaying, MissingOrMistypedTitleAndArtistShowDefaults) {
    CFDictionary info;
    info[kMRMediaRemoteNowPlayingInfoArtist] = 42;
    source->setInfoQuietly(info);
    auto view = makePlayer();
    EXPECT_EQ(view->artistLabel()->text(), "Unknown");
    EXPECT_EQ(view->titleLabel()->text(), "Untitled");

    view->setArtist(std::string());
    EXPECT_EQ(view->artistLabel()->text(), "");
    view->setTitle(std::nullopt);
    EXPECT_EQ(view->titleLabel()->text(), "Untitled");
}

TEST_F(RotixNowPlaying, ShortElapsedTimeCountsAsTheStart) {
    auto view = makeQuietPlayer();
    tickWith(view, playbackInfo(0.8, 100, now() - 2));
    EXPECT_EQ(view->trackLabel()->text(), "0:02 - 1:40");
    EXPECT_EQ(view->songScrubber()->value(), static_cast<float>(2.0 / 100.0));

    // Exactly one second still counts as zero; just over it counts.
    tickWith(view, playbackInfo(1.0, 100, now() - 2));
    EXPECT_EQ(view->trackLabel()->text(), "0:02 - 1:40");
    tickWith(view, playbackInfo(1.5, 100, now() - 2));
    EXPECT_EQ(view->trackLabel()->text(), "0:03 - 1:40");
    EXPECT_EQ(view->songScrubber()->value(), static_cast<float>(3.5 / 100.0));
}

TEST_F(RotixNowPlaying, TimeTextHasHoursOnlyFromAnHour) {
    auto view = makeQuietPlayer();
    tickWith(view, playbackInfo(65, 3723, now()));
    EXPECT_EQ(view->trackLabel()->text(), "1:05 - 1:02:03");
    EXPECT_EQ(view->f(), 3723);
    tickWith(view, playbackInfo(3599, 3600, now()));
    EXPECT_EQ(view->trackLabel()->text(), "59:59 - 1:00:00");
    tickWith(view, playbackInfo(65, 222, now()));
    EXPECT_EQ(view->trackLabel()->text(), "1:05 - 3:42");
}

TEST_F(RotixNowPlaying, DurationIsTruncatedIntoWholeSeconds) {
    auto view = makeQuietPlayer();
    tickWith(view, playbackInfo(10, 201.9, now()));
    EXPECT_EQ(view->f(), 201);
    EXPECT_EQ(view->trackLabel()->text(), "0:10 - 3:21");
    EXPECT_EQ(view->songScrubber()->value(), static_cast<float>(10 / 201.9));
}

TEST_F(RotixNowPlaying, PositionIsExtrapolatedFromTheTimestamp) {
    auto view = makePlayer();
    source->setInfoQuietly(playbackInfo(30.75, 300, now()));
    // The last tick is 0.4 s after the measurement.
    run(0.45);
    EXPECT_EQ(view->trackLabel()->text(), "0:31 - 5:00");
    EXPECT_NEAR(view->songScrubber()->value(), 31.15 / 300.0, 1e-6);
}

TEST_F(RotixNowPlaying, NothingPlayingOrNoLengthShowsZeroes) {
    auto view = makeQuietPlayer();
    tickWith(view, playbackInfo(65, 222, now()));
    ASSERT_EQ(view->trackLabel()->text(), "1:05 - 3:42");

    tickWith(view, std::nullopt);
    EXPECT_EQ(view->trackLabel()->text(), "0:00 - 0:00");
    EXPECT_EQ(view->songScrubber()->value(), 0);
    EXPECT_EQ(view->f(), 0);

    tickWith(view, playbackInfo(65, 222, now()));
    tickWith(view, playbackInfo(40, 0, now()));
    EXPECT_EQ(view->trackLabel()->text(), "0:00 - 0:00");
    EXPECT_EQ(view->songScrubber()->value(), 0);
}

TEST_F(RotixNowPlaying, WhenNothingPlaysAnyMoreTheTimeGoesBackToZeroes) {
    source->setInfoQuietly(playbackInfo(6, 30, now()));
    auto view = makePlayer();
    run(0.1);
    ASSERT_EQ(view->trackLabel()->text(), "0:06 - 0:30");
    // The application quits: it stops playing, then has nothing to report.
    source->setPlaying(false);
    settle();
    ASSERT_TRUE(view->isSeeking());
    source->setInfo(std::nullopt);
    run(2.0);
    EXPECT_EQ(view->titleLabel()->text(), "Untitled");
    EXPECT_EQ(view->trackLabel()->text(), "0:00 - 0:00");
    EXPECT_EQ(view->songScrubber()->value(), 0);
}

TEST_F(RotixNowPlaying, WithoutATimestampElapsedIsShownAsReported) {
    auto view = makeQuietPlayer();
    tickWith(view, playbackInfo(90, 180, std::nullopt));
    EXPECT_EQ(view->trackLabel()->text(), "1:30 - 3:00");
    EXPECT_EQ(view->songScrubber()->value(), 0.5f);
}

TEST_F(RotixNowPlaying, WildNumbersNeverReachTheRingAsNaNOrInfinity) {
    auto view = makeQuietPlayer();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [elapsed, duration] : std::vector<std::pair<double, double>>{{nan, 100},
                                                                           {10, nan},
                                                                           {inf, 100},
                                                                           {10, inf},
                                                                           {1e300, 1e-300},
                                                                           {-50, 100},
                                                                           {1e12, 1e13},
                                                                           {10, -100}}) {
        tickWith(view, playbackInfo(elapsed, duration, now()));
        float value = view->songScrubber()->value();
        EXPECT_TRUE(std::isfinite(value)) << elapsed << " / " << duration;
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 1);
    }
    // Durations out of the 32-bit range saturate rather than wrap.
    tickWith(view, playbackInfo(0, 1e13, now()));
    EXPECT_EQ(view->f(), std::numeric_limits<std::int32_t>::max());
    tickWith(view, playbackInfo(0, nan, now()));
    EXPECT_EQ(view->f(), 0);
}

TEST_F(RotixNowPlaying, NothingMovesWhilePaused) {
    source->setInfoQuietly(playbackInfo(20, 200, now()));
    auto view = makePlayer();
    run(0.1);
    ASSERT_EQ(view->trackLabel()->text(), "0:20 - 3:20");
    float value = view->songScrubber()->value();

    source->setPlaying(false);
    settle();
    ASSERT_TRUE(view->isSeeking());
    source->setInfoQuietly(playbackInfo(120, 200, now()));
    run(1.0);
    EXPECT_EQ(view->trackLabel()->text(), "0:20 - 3:20");
    EXPECT_EQ(view->songScrubber()->value(), value);
}

TEST_F(RotixNowPlaying, APausedTrackKeepsItsTimeWhenATouchLetsTheTicksRun) {
    CFDictionary info = playbackInfo(3, 200, now());
    info[kMRMediaRemoteNowPlayingInfoPlaybackRate] = 0.0;
    source->setInfoQuietly(info);
    auto view = makePlayerOnScreen();
    source->setPlaying(false);
    settle();
    // The end of a touch on the background clears isSeeking, so ticks run.
    tap({2, 2});
    ASSERT_FALSE(view->isSeeking());
    run(5.0);
    EXPECT_EQ(view->trackLabel()->text(), "0:03 - 3:20");
}

TEST_F(RotixNowPlaying, RingChangesFromTicksResetTheIdleTimer) {
    auto view = makeQuietPlayer();
    int before = idleTimerResets();
    tickWith(view, playbackInfo(20, 200, now()));
    EXPECT_EQ(idleTimerResets(), before + 1);
    // The same value again is no change, so no reset.
    tickWith(view, playbackInfo(20, 200, now()));
    EXPECT_EQ(idleTimerResets(), before + 1);
}

TEST_F(RotixNowPlaying, WithoutDynamicColorsOnlyTheRingTakesTheArtworkColours) {
    CFDictionary info = titled("Art");
    info[kMRMediaRemoteNowPlayingInfoArtworkData] = fileBytes("noalbum.png");
    setPreference("dynamicColors", 1); // not the boolean true
    source->setInfoQuietly(info);
    auto view = makePlayer();

    EXPECT_EQ(view->titleLabel()->textColor(), UIColor::whiteColor());
    EXPECT_EQ(view->artistLabel()->textColor(), UIColor::whiteColor().colorWithAlphaComponent(0.7));
    EXPECT_EQ(view->skipForwardButton()->imageForState(UIControlStateNormal), view->next());
    EXPECT_EQ(view->backwardButton()->imageForState(UIControlStateNormal), view->back());
    EXPECT_EQ(view->playOrPauseButton()->imageForState(UIControlStateNormal), view->ppause());

    ASSERT_TRUE(view->imageColors());
    auto expected =
        SKUIImageColorAnalyzer::analyzeImage(UIImage::imageWithData(*fileBytes("noalbum.png")));
    EXPECT_EQ(view->imageColors()->backgroundColor(), expected->backgroundColor());
    EXPECT_EQ(view->songScrubber()->thumbTintColor(), expected->backgroundColor());
    EXPECT_EQ(view->songScrubber()->minimumTrackTintColor(), expected->textPrimaryColor());
    EXPECT_EQ(view->songScrubber()->maximumTrackTintColor(), expected->textSecondaryColor());
    // The decoded artwork is held only while the reply runs.
    EXPECT_EQ(view->mage(), nullptr);
}

TEST_F(RotixNowPlaying, NoArtworkTakesItsColoursFromTheNoAlbumImage) {
    source->setInfoQuietly(titled("Bare"));
    auto view = makeQuietPlayer();
    auto expected = SKUIImageColorAnalyzer::analyzeImage(view->noalbum());
    EXPECT_EQ(view->songScrubber()->thumbTintColor(), expected->backgroundColor());
    EXPECT_EQ(view->songScrubber()->minimumTrackTintColor(), expected->textPrimaryColor());

    // Bytes that do not decode count as no artwork.
    CFDictionary garbage = titled("Garbage");
    garbage[kMRMediaRemoteNowPlayingInfoArtworkData] = CFPropertyList::data({1, 2, 3, 4});
    run(1.5);
    source->setInfo(garbage);
    settle();
    EXPECT_EQ(view->titleLabel()->text(), "Garbage");
    EXPECT_EQ(view->songScrubber()->thumbTintColor(), expected->backgroundColor());
}

TEST_F(RotixNowPlaying, DynamicColorsTintLabelsAndButtons) {
    setPreference("dynamicColors", true);
    CFDictionary info = titled("Art");
    info[kMRMediaRemoteNowPlayingInfoArtworkData] = fileBytes("noalbum.png");
    source->setInfoQuietly(info);
    auto view = makePlayer();

    ASSERT_TRUE(view->imageColors());
    UIColor primary = view->imageColors()->textPrimaryColor();
    for (const auto& label :
         {view->artistLabel(), view->titleLabel(), view->trackLabel(), view->clockLabel()})
        EXPECT_EQ(label->textColor(), primary);
    auto forward = view->skipForwardButton()->imageForState(UIControlStateNormal);
    ASSERT_TRUE(forward);
    EXPECT_NE(forward, view->next());
    EXPECT_EQ(forward->size(), view->next()->size());
    auto playPause = view->playOrPauseButton()->imageForState(UIControlStateNormal);
    ASSERT_TRUE(playPause);
    EXPECT_NE(playPause, view->ppause());
    EXPECT_EQ(view->songScrubber()->minimumTrackTintColor(), primary);
}

} // namespace
