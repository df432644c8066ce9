#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "player/PlayerFixture.h"
#include "slider/UICircularSlider.h"

#include <atomic>
#include <barrier>
#include <thread>

namespace {

// A player that writes down which layouts run instead of running them, so
// that the choice made at construction and rotation can be seen on its own.
class LayoutRecordingRotix : public Rotix {
public:
    void iPadFrames() override { layouts.push_back("iPadFrames"); }
    void iPadFramesTwo() override { layouts.push_back("iPadFramesTwo"); }
    void iPhone6PlusFrames() override { layouts.push_back("iPhone6PlusFrames"); }
    void iPhone5Frames() override { layouts.push_back("iPhone5Frames"); }
    void setLandscapeFrames() override { layouts.push_back("setLandscapeFrames"); }

    std::vector<std::string> layouts;
};

using Layouts = std::vector<std::string>;

class RotixConstruction : public PlayerTest {};

TEST_F(RotixConstruction, FrameIsTheScreenWhateverFrameIsGiven) {
    useDevice(phoneOfHeight(568));
    EXPECT_EQ(makePlayer(CGRectMake(13, 17, 40, 50))->frame(), CGRectMake(0, 0, 320, 568));
    useDevice(UIDeviceProfile::iPad());
    EXPECT_EQ(makePlayer(CGRectZero)->frame(), UIScreen::mainScreen()->bounds());
}

TEST_F(RotixConstruction, PhoneLayoutIsChosenByScreenHeight) {
    useDevice(phoneOfHeight(568));
    auto small = makePlayer<LayoutRecordingRotix>();
    EXPECT_EQ(small->layouts, Layouts{"iPhone5Frames"});
    EXPECT_EQ(small->screenHeight(), 568);

    // The threshold is strict: exactly 570 points is a large phone.
    useDevice(phoneOfHeight(570));
    EXPECT_EQ(makePlayer<LayoutRecordingRotix>()->layouts, Layouts{"iPhone6PlusFrames"});
    useDevice(phoneOfHeight(569.5));
    EXPECT_EQ(makePlayer<LayoutRecordingRotix>()->layouts, Layouts{"iPhone5Frames"});
}

TEST_F(RotixConstruction, TabletWaitsForTheFirstOrientationNotification) {
    useDevice(UIDeviceProfile::iPad());
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_TRUE(view->layouts.empty());

    UIDevice::currentDevice()->setOrientation(UIDeviceOrientation::LandscapeLeft);
    UIDevice::currentDevice()->setOrientation(UIDeviceOrientation::Portrait);
    EXPECT_EQ(view->layouts, (Layouts{"iPadFrames", "iPadFramesTwo"}));
}

TEST_F(RotixConstruction, DeviceThatDoesNotAnswerTheIdiomIsAPhone) {
    useDevice(UIDeviceProfile::iPad());
    UIDevice::currentDevice()->setAnswersUserInterfaceIdiom(false);
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_EQ(view->layouts, Layouts{"iPhone6PlusFrames"});
    UIDevice::currentDevice()->setOrientation(UIDeviceOrientation::LandscapeLeft);
    EXPECT_EQ(view->layouts, Layouts{"iPhone6PlusFrames"});
}

TEST_F(RotixConstruction, PhoneFollowsRotationOnlyWithLandscapeTrue) {
    auto fixed = makePlayer<LayoutRecordingRotix>();
    setPreference("landscape", 1);
    auto numberOne = makePlayer<LayoutRecordingRotix>();
    setPreference("landscape", true);
    auto rotating = makePlayer<LayoutRecordingRotix>();

    UIDevice::currentDevice()->setOrientation(UIDeviceOrientation::LandscapeRight);
    EXPECT_EQ(fixed->layouts, Layouts{"iPhone6PlusFrames"});
    EXPECT_EQ(numberOne->layouts, Layouts{"iPhone6PlusFrames"});
    EXPECT_EQ(rotating->layouts, (Layouts{"iPhone6PlusFrames", "setLandscapeFrames"}));
}

TEST_F(RotixConstruction, DefaultFontsAndTimeText) {
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_EQ(view->artistLabel()->font(), UIFont::italicSystemFontOfSize(18));
    EXPECT_EQ(view->titleLabel()->font(), UIFont::systemFontOfSize(25));
    EXPECT_EQ(view->trackLabel()->font(), UIFont::systemFontOfSize(25));
    EXPECT_EQ(view->trackLabel()->text(), "0:00 - 0:00");
    EXPECT_FALSE(view->clockLabel()->text().has_value());
}

TEST_F(RotixConstruction, FontSizesNeedTheirFlagTrueAndAValue) {
    setPreference("artistfont", true);
    setPreference("artistfontv", 30.5);
    setPreference("titlefont", 1); // a number is not the boolean true
    setPreference("titlefontv", 40);
    setPreference("trackfont", true); // no size stored: the default
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_EQ(view->artistLabel()->font(), UIFont::italicSystemFontOfSize(30.5));
    EXPECT_EQ(view->titleLabel()->font(), UIFont::systemFontOfSize(25));
    EXPECT_EQ(view->trackLabel()->font(), UIFont::systemFontOfSize(25));
}

TEST_F(RotixConstruction, DefaultColoursAreWhiteWithTheArtistAtSevenTenths) {
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_EQ(view->artistLabel()->textColor(), UIColor::whiteColor().colorWithAlphaComponent(0.7));
    EXPECT_EQ(view->titleLabel()->textColor(), UIColor::whiteColor());
    EXPECT_EQ(view->trackLabel()->textColor(), UIColor::whiteColor());
    EXPECT_EQ(view->clockLabel()->textColor(), UIColor::whiteColor());
}

TEST_F(RotixConstruction, ColourSettingsAreParsedAndTheArtistKeepsItsAlpha) {
    setPreference("artistColor", "#FF0000");
    setPreference("titleColor", "#00FF00");
    auto view = makePlayer<LayoutRecordingRotix>();
    UIColor artist = view->artistLabel()->textColor();
    EXPECT_DOUBLE_EQ(artist.red(), 1);
    EXPECT_DOUBLE_EQ(artist.green(), 0);
    EXPECT_DOUBLE_EQ(artist.alpha(), 0.7);
    UIColor title = view->titleLabel()->textColor();
    EXPECT_DOUBLE_EQ(title.red(), 0);
    EXPECT_DOUBLE_EQ(title.green(), 1);
    EXPECT_DOUBLE_EQ(title.alpha(), 1);
    EXPECT_EQ(view->trackLabel()->textColor(), UIColor::whiteColor());
}

TEST_F(RotixConstruction, SubviewsStackInTheirOrder) {
    auto view = makePlayer<LayoutRecordingRotix>();
    std::vector<std::shared_ptr<UIView>> expected = {
        view->imageView(),   view->scrubberBase(), view->songScrubber(),
        view->artistLabel(), view->clockLabel(),   view->titleLabel(),
        view->trackLabel(),  view->buttonBase(),   view->dummy()};
    EXPECT_EQ(view->subviews(), expected);
    std::vector<std::shared_ptr<UIView>> buttons = {
        view->playOrPauseButton(), view->skipForwardButton(), view->backwardButton()};
    EXPECT_EQ(view->buttonBase()->subviews(), buttons);
    EXPECT_EQ(view->songImageView()->superview(), view->songScrubber());
}

TEST_F(RotixConstruction, SubviewsAreConfigured) {
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_EQ(view->backgroundColor(), UIColor::clearColor());
    for (const auto& label :
         {view->artistLabel(), view->clockLabel(), view->titleLabel(), view->trackLabel()}) {
        EXPECT_EQ(label->autoresizingMask(), 45u);
        EXPECT_EQ(label->textAlignment(), NSTextAlignment::Center);
        EXPECT_EQ(label->backgroundColor(), UIColor::clearColor());
    }
    EXPECT_TRUE(view->artistLabel()->marqueeEnabled() && view->artistLabel()->marqueeRunning());
    EXPECT_TRUE(view->titleLabel()->marqueeEnabled() && view->titleLabel()->marqueeRunning());
    EXPECT_FALSE(view->trackLabel()->marqueeEnabled());
    // Half the screen's width, less 200.
    EXPECT_EQ(view->titleLabel()->frame(), CGRectMake(414 / 2.0 - 200, 155, 400, 70));

    auto ring = view->songScrubber();
    EXPECT_EQ(ring->autoresizingMask(), 45u);
    EXPECT_EQ(ring->minimumValue(), 0);
    EXPECT_EQ(ring->maximumValue(), 1);
    EXPECT_EQ(ring->value(), 0);

    auto disc = view->songImageView();
    EXPECT_TRUE(disc->clipsToBounds());
    EXPECT_EQ(disc->layer()->borderWidth(), 2);
    EXPECT_EQ(disc->layer()->borderColor(), UIColor::whiteColor());
    EXPECT_EQ(disc->contentMode(), UIViewContentMode::ScaleAspectFill);
}

TEST_F(RotixConstruction, GesturesHaveTheirDurationsAndActions) {
    auto view = makePlayer<LayoutRecordingRotix>();
    auto holdOf = [](const std::shared_ptr<UIView>& v) {
        for (const auto& recognizer : v->gestureRecognizers())
            if (auto hold = std::dynamic_pointer_cast<UILongPressGestureRecognizer>(recognizer))
                return hold;
        return std::shared_ptr<UILongPressGestureRecognizer>();
    };
    auto actionOf = [&](const std::shared_ptr<UIGestureRecognizer>& recognizer) {
        auto targets = recognizer->targetActions();
        EXPECT_EQ(targets.size(), 1u);
        EXPECT_EQ(targets.at(0).first, std::static_pointer_cast<NSObject>(view));
        return targets.at(0).second;
    };
    ASSERT_TRUE(holdOf(view->skipForwardButton()));
    EXPECT_EQ(holdOf(view->skipForwardButton())->minimumPressDuration(), 0.5);
    EXPECT_EQ(actionOf(holdOf(view->skipForwardButton())), "longPressForward:");
    ASSERT_TRUE(holdOf(view->backwardButton()));
    EXPECT_EQ(holdOf(view->backwardButton())->minimumPressDuration(), 0.5);
    EXPECT_EQ(actionOf(holdOf(view->backwardButton())), "longPressBackward:");
    ASSERT_TRUE(holdOf(view->dummy()));
    EXPECT_EQ(holdOf(view->dummy())->minimumPressDuration(), 1.0);
    EXPECT_EQ(actionOf(holdOf(view->dummy())), "longPress:");
    ASSERT_EQ(view->dummy()->gestureRecognizers().size(), 2u);
    auto tap = std::dynamic_pointer_cast<UITapGestureRecognizer>(
        view->dummy()->gestureRecognizers().front());
    ASSERT_TRUE(tap);
    EXPECT_EQ(actionOf(tap), "handleTapFrom:");

    EXPECT_EQ(view->playOrPauseButton()->actionsForTarget(view, UIControlEventTouchUpInside),
              std::vector<SEL>{"playOrPauseButtonPressed"});
    EXPECT_EQ(view->skipForwardButton()->actionsForTarget(view, UIControlEventTouchUpInside),
              std::vector<SEL>{"skipForwardButtonPressed"});
    EXPECT_EQ(view->backwardButton()->actionsForTarget(view, UIControlEventTouchUpInside),
              std::vector<SEL>{"backwardButtonPressed"});
}

TEST_F(RotixConstruction, ButtonsShowTheirImagesAndThePauseGlyphFirst) {
    auto view = makePlayer<LayoutRecordingRotix>();
    ASSERT_TRUE(view->next() && view->back() && view->play() && view->ppause() && view->noalbum());
    EXPECT_EQ(view->skipForwardButton()->imageForState(UIControlStateNormal), view->next());
    EXPECT_EQ(view->backwardButton()->imageForState(UIControlStateNormal), view->back());
    EXPECT_EQ(view->playOrPauseButton()->imageForState(UIControlStateNormal), view->ppause());
}

TEST_F(RotixConstruction, MissingImageLeavesItsButtonBareAndConstructionGoesOn) {
    removeAsset("forward.png");
    removeAsset("pause.png");
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_EQ(view->next(), nullptr);
    EXPECT_EQ(view->skipForwardButton()->imageForState(UIControlStateNormal), nullptr);
    EXPECT_EQ(view->playOrPauseButton()->imageForState(UIControlStateNormal), nullptr);
    EXPECT_EQ(view->backwardButton()->imageForState(UIControlStateNormal), view->back());
    EXPECT_NE(view->back(), nullptr);
    // Everything after the images still happened.
    EXPECT_EQ(view->layouts, Layouts{"iPhone6PlusFrames"});
    ASSERT_TRUE(view->timer());
    EXPECT_TRUE(view->timer()->isValid());
    EXPECT_EQ(view->artistLabel()->text(), "Unknown");
}

TEST_F(RotixConstruction, StartsTickingAndFetchesOnce) {
    CFDictionary info;
    info[kMRMediaRemoteNowPlayingInfoTitle] = "Intro";
    info[kMRMediaRemoteNowPlayingInfoArtist] = "The Band";
    source->setInfoQuietly(info);
    auto view = makePlayer<LayoutRecordingRotix>();
    EXPECT_FALSE(view->isSeeking());
    EXPECT_FALSE(view->isTouching());
    EXPECT_EQ(view->titleLabel()->text(), "Intro");
    EXPECT_EQ(view->artistLabel()->text(), "The Band");
    ASSERT_TRUE(view->timer());
    EXPECT_TRUE(view->timer()->repeats());
    EXPECT_EQ(view->timer()->timeInterval(), 0.1);
    EXPECT_EQ(view->timer()->selector(), "tick:");
    EXPECT_EQ(view->timer()->target(), std::static_pointer_cast<NSObject>(view));
    EXPECT_TRUE(NowPlayingService::shared().isRegisteredForNotifications());
}

TEST_F(RotixConstruction, ObservesBothNowPlayingNotifications) {
    auto view = makePlayer<LayoutRecordingRotix>();
    run(1.5);
    CFDictionary info;
    info[kMRMediaRemoteNowPlayingInfoTitle] = "Changed";
    source->setInfo(info);
    settle();
    EXPECT_EQ(view->titleLabel()->text(), "Changed");

    source->setPlaying(false);
    settle();
    EXPECT_TRUE(view->isSeeking());
    EXPECT_EQ(view->playOrPauseButton()->imageForState(UIControlStateNormal), view->play());
}

TEST_F(RotixConstruction, ReleasedViewGoesAwayAndHearsNothingMore) {
    std::weak_ptr<Rotix> weak;
    {
        auto view = Rotix::create();
        settle();
        weak = view;
        // The running tick timer holds the view, as the platform's does.
        run(0.35);
        EXPECT_FALSE(weak.expired());
        view->timer()->invalidate();
    }
    settle();
    EXPECT_TRUE(weak.expired());
    // Its observers are gone with it: posting reaches nothing.
    source->setPlaying(false);
    NSNotificationCenter::defaultCenter()->postNotificationName(
        kMRMediaRemoteNowPlayingInfoDidChangeNotification, nullptr);
    settle();
}

TEST_F(RotixConstruction, SharedInstanceIsMadeOnceUnderConcurrentFirstCalls) {
    constexpr int kThreads = 8;
    std::vector<std::shared_ptr<Rotix>> seen(kThreads);
    std::barrier start(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            seen[i] = Rotix::sharedInstance();
        });
    for (auto& thread : threads)
        thread.join();
    settle();
    auto shared = Rotix::sharedInstance();
    ASSERT_TRUE(shared);
    for (const auto& view : seen)
        EXPECT_EQ(view, shared);
    // Reached through the runtime too, as the lock screen's hooks do.
    EXPECT_EQ(objc_msgSend<id>(objc_getClass("Rotix"), "sharedInstance"),
              std::static_pointer_cast<NSObject>(shared));
    // The shared view lives on for the process; keep it quiet from here on.
    stop(shared);
}

TEST_F(RotixConstruction, ActionsAreReachableThroughTheRuntime) {
    auto view = makePlayer<LayoutRecordingRotix>();
    for (const char* selector :
         {"tick:", "updateMedia", "updateButtons", "touchDown", "touchUp", "touchUpOut", "seeking",
          "restart", "playOrPauseButtonPressed", "skipForwardButtonPressed",
          "backwardButtonPressed", "longPressForward:", "longPressBackward:", "handleTapFrom:",
          "longPress:", "orientationChanged:", "deviceOrientationDidChange:"})
        EXPECT_TRUE(view->respondsToSelector(selector)) << selector;
    objc_msgSend<void, bool>(view, "setIsTouching:", true);
    EXPECT_TRUE(objc_msgSend<bool>(view, "isTouching"));
}

} // namespace
