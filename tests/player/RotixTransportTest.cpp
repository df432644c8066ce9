#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/springboard/SBLockScreenManager.h"
#include "platform/springboard/SBLockScreenViewController.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "player/PlayerFixture.h"
#include "slider/UICircularSlider.h"

namespace {

using Commands = std::vector<int>;

class RotixTransport : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        view = makePlayerOnScreen();
        NowPlayingService::shared().clearRequests();
    }

    std::shared_ptr<CABasicAnimation> discTurn() const {
        return view->songImageView()->layer()->animationForKey("360");
    }

    static std::shared_ptr<SBLockScreenViewController> lockScreen() {
        return SBLockScreenManager::sharedInstance()->lockScreenViewController();
    }

    std::string emptyImageHash() const {
        return UIImage::imageWithContentsOfFile("/Library/Application Support/Rotix2/empty.png")
            ->contentHash();
    }

    std::shared_ptr<Rotix> view;
};

TEST_F(RotixTransport, PlayPauseTogglesAndResetsTheIdleTimer) {
    int before = idleTimerResets();
    tap(centerInWindow(view->playOrPauseButton()));
    EXPECT_EQ(commands(), Commands{2});
    EXPECT_GT(idleTimerResets(), before);
    EXPECT_EQ(discTurn(), nullptr);
}

TEST_F(RotixTransport, TappingTheDiscToggles) {
    tap(centerInWindow(view->dummy()));
    EXPECT_EQ(commands(), Commands{2});
}

TEST_F(RotixTransport, SkipsTurnTheDiscEachWay) {
    tap(centerInWindow(view->backwardButton()));
    EXPECT_EQ(commands(), Commands{5});
    auto back = discTurn();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->keyPath(), "transform.rotation");
    EXPECT_EQ(back->fromValue(), 0);
    EXPECT_EQ(back->toValue(), static_cast<double>(-6.2831855f));
    EXPECT_EQ(back->duration(), 0.4);
    EXPECT_EQ(back->repeatCount(), 0);

    run(1);
    // The turn leaves no lasting rotation.
    EXPECT_EQ(view->songImageView()->layer()->presentationRotation(now()), 0);
    tap(centerInWindow(view->skipForwardButton()));
    EXPECT_EQ(commands(), (Commands{5, 4}));
    ASSERT_TRUE(discTurn());
    EXPECT_EQ(discTurn()->toValue(), static_cast<double>(6.2831855f));
}

TEST_F(RotixTransport, SecondSkipRestartsTheTurn) {
    tap(centerInWindow(view->skipForwardButton()));
    CFAbsoluteTime first = discTurn()->beginTime();
    run(0.1);
    tap(centerInWindow(view->skipForwardButton()));
    EXPECT_EQ(commands(), (Commands{4, 4}));
    EXPECT_EQ(view->songImageView()->layer()->animations().size(), 1u);
    EXPECT_DOUBLE_EQ(discTurn()->beginTime(), first + 0.1);
    EXPECT_NEAR(view->songImageView()->layer()->presentationRotation(now()), 0, 1e-9);
}

TEST_F(RotixTransport, HoldingForwardFastForwardsUntilRelease) {
    CGPoint forward = centerInWindow(view->skipForwardButton());
    window->touchDown(forward);
    run(0.49);
    EXPECT_TRUE(commands().empty());
    run(0.02);
    EXPECT_EQ(commands(), Commands{8});
    run(0.5);
    window->touchUp(forward);
    settle();
    // The hold took the touch from the button: no skip.
    EXPECT_EQ(commands(), (Commands{8, 9}));
}

TEST_F(RotixTransport, CancelledHoldSendsNoEndCommand) {
    CGPoint backward = centerInWindow(view->backwardButton());
    window->touchDown(backward);
    run(0.6);
    EXPECT_EQ(commands(), Commands{10});
    window->touchCancel();
    settle();
    EXPECT_EQ(commands(), Commands{10});

    window->touchDown(backward);
    run(0.6);
    window->touchUp(backward);
    settle();
    EXPECT_EQ(commands(), (Commands{10, 10, 11}));
}

TEST_F(RotixTransport, HoldingTheDiscRunsOnEveryCallback) {
    source->setBundleIdentifier("com.example.music");
    CGPoint disc = centerInWindow(view->dummy());
    window->touchDown(disc);
    run(0.99);
    EXPECT_EQ(lockScreen()->passcodeRequestCount(), 0);
    run(0.02);
    EXPECT_EQ(lockScreen()->passcodeRequestCount(), 1);
    window->touchMove({disc.x + 3, disc.y});
    window->touchMove({disc.x + 6, disc.y + 2});
    window->touchUp({disc.x + 6, disc.y + 2});
    settle();
    EXPECT_EQ(lockScreen()->passcodeRequestCount(), 4);
    // Unlocked: no turn, and the identifier is recorded at once.
    EXPECT_EQ(discTurn(), nullptr);
    EXPECT_EQ(view->appID(), "com.example.music");
    EXPECT_TRUE(lockScreen()->isPasscodeLockVisible());
    // Neither a command nor a tap.
    EXPECT_TRUE(commands().empty());
}

TEST_F(RotixTransport, HoldingTheDiscWhenLockedTurnsItAndRecordsTheAppOnceShown) {
    SBDeviceLockController::sharedController()->setPasscodeLocked(true);
    source->setBundleIdentifier("com.example.music");
    view->setID(std::string("stale"));
    view->longPress(nullptr);
    ASSERT_TRUE(discTurn());
    EXPECT_EQ(discTurn()->toValue(), static_cast<double>(6.2831855f));
    EXPECT_EQ(discTurn()->duration(), 0.5);
    // The identifier comes in the completion, after the passcode screen shows.
    EXPECT_EQ(view->appID(), "stale");
    run(SBLockScreenViewController::kPasscodeAnimationDuration + 0.01);
    EXPECT_EQ(view->appID(), "com.example.music");
}

TEST_F(RotixTransport, PasscodeCompletionHoldsTheViewWeakly) {
    SBDeviceLockController::sharedController()->setPasscodeLocked(true);
    auto other = Rotix::create();
    settle();
    std::weak_ptr<Rotix> weak = other;
    other->longPress(nullptr);
    stop(other);
    other.reset();
    // The passcode screen is still sliding up; its completion must not keep
    // the view alive, and finds it gone when it runs.
    EXPECT_TRUE(weak.expired());
    run(1);
    EXPECT_TRUE(lockScreen()->isPasscodeLockVisible());
}

TEST_F(RotixTransport, NothingPlayingClearsTheRecordedApp) {
    view->setID(std::string("com.example.before"));
    source->setBundleIdentifier(std::nullopt);
    view->longPress(nullptr);
    EXPECT_EQ(view->appID(), std::nullopt);
}

TEST_F(RotixTransport, PlayingStateChoosesTheGlyphAndTheTicks) {
    source->setPlaying(false);
    settle();
    EXPECT_EQ(view->playOrPauseButton()->imageForState(UIControlStateNormal), view->play());
    EXPECT_TRUE(view->isSeeking());
    source->setPlaying(true);
    settle();
    EXPECT_EQ(view->playOrPauseButton()->imageForState(UIControlStateNormal), view->ppause());
    EXPECT_FALSE(view->isSeeking());
}

TEST_F(RotixTransport, DynamicColorsTintThePlayingStateGlyph) {
    setPreference("dynamicColors", true);
    source->setPlaying(false);
    settle();
    auto shown = view->playOrPauseButton()->imageForState(UIControlStateNormal);
    ASSERT_TRUE(shown);
    EXPECT_NE(shown, view->play());
    EXPECT_EQ(shown->size(), view->play()->size());
    EXPECT_TRUE(view->isSeeking());
}

TEST_F(RotixTransport, HiddenPlayPauseShowsTheEmptyImageAndStillToggles) {
    setPreference("hide", true);
    view->setPlayPauseButtonImage(view->play());
    auto shown = view->playOrPauseButton()->imageForState(UIControlStateNormal);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->contentHash(), emptyImageHash());

    source->setPlaying(false);
    settle();
    auto again = view->playOrPauseButton()->imageForState(UIControlStateNormal);
    EXPECT_EQ(again->contentHash(), emptyImageHash());
    // Loaded afresh each time.
    EXPECT_NE(again, shown);

    tap(centerInWindow(view->playOrPauseButton()));
    EXPECT_EQ(commands(), Commands{2});
}

TEST_F(RotixTransport, HideMustBeTheBooleanTrue) {
    setPreference("hide", "true");
    view->setPlayPauseButtonImage(view->play());
    EXPECT_EQ(view->playOrPauseButton()->imageForState(UIControlStateNormal), view->play());
}

TEST_F(RotixTransport, ImageSettersSetTheNormalState) {
    view->setBackButtonImage(view->play());
    view->setForwardButtonImage(nullptr);
    EXPECT_EQ(view->backwardButton()->imageForState(UIControlStateNormal), view->play());
    EXPECT_EQ(view->skipForwardButton()->imageForState(UIControlStateNormal), nullptr);
}

TEST_F(RotixTransport, SeekingOnWiresEachTouchActionOnce) {
    // Every information reply wires the ring again; nothing doubles up.
    view->timer()->invalidate();
    for (int i = 0; i < 3; ++i) {
        run(1.5);
        NSNotificationCenter::defaultCenter()->postNotificationName(
            kMRMediaRemoteNowPlayingInfoDidChangeNotification, nullptr);
        settle();
    }
    auto ring = view->songScrubber();
    EXPECT_EQ(ring->actionsForTarget(view, UIControlEventTouchDown), std::vector<SEL>{"touchDown"});
    EXPECT_EQ(ring->actionsForTarget(view, UIControlEventTouchUpInside),
              std::vector<SEL>{"touchUp"});
    EXPECT_EQ(ring->actionsForTarget(view, UIControlEventTouchUpOutside),
              std::vector<SEL>{"touchUpOut"});
    EXPECT_EQ(ring->actionsForTarget(view, UIControlEventValueChanged),
              std::vector<SEL>{"seeking"});
    EXPECT_EQ(ring->actionsForTarget(view, UIControlEventTouchCancel),
              std::vector<SEL>{"touchCancel"});
    EXPECT_EQ(ring->registrations().size(), 5u);
    EXPECT_TRUE(ring->isUserInteractionEnabled());
}

TEST_F(RotixTransport, WiringWaitsForTheServiceReply) {
    auto other = makeView<Rotix>();
    // Nothing is wired until the main queue runs the reply.
    EXPECT_TRUE(other->songScrubber()->registrations().empty());
    settle();
    EXPECT_EQ(other->songScrubber()->registrations().size(), 5u);
    stop(other);
}

} // namespace
