#include "platform/objc/Runtime.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "player/PlayerFixture.h"
#include "slider/UICircularSlider.h"

#include <cmath>
#include <numbers>

namespace {

// An outside seek component, registered under the name the player looks up.
class FakeSeekController : public NSObject {
public:
    static std::shared_ptr<FakeSeekController> install() {
        auto controller = makeObject<FakeSeekController>();
        Class cls = objc_registerClass("ExternalSeekController");
        std::weak_ptr<FakeSeekController> weak = controller;
        class_addMethod<id>(cls->metaclass(), "sharedSeekController",
                            [weak](const id&, const SEL&) -> id { return weak.lock(); });
        class_addMethod<bool>(cls, "isSeekActive", [](const id& self, const SEL&) {
            return std::static_pointer_cast<FakeSeekController>(self)->active;
        });
        class_addMethod<void, double>(cls, "seekToTime:", [](const id& self, const SEL&, double t) {
            std::static_pointer_cast<FakeSeekController>(self)->seeks.push_back(t);
        });
        return controller;
    }
    static void uninstall() { objc_unregisterClass("ExternalSeekController"); }

    std::string_view className() const override { return "ExternalSeekController"; }

    bool active = true;
    std::vector<double> seeks;
};

// A view that writes down the touch calls that reach it.
class TouchLog : public UIView {
public:
    std::string_view className() const override { return "TestTouchLog"; }
    void touchesBegan(const UITouchSet& t, const std::shared_ptr<UIEvent>& e) override {
        calls.push_back("began");
        UIView::touchesBegan(t, e);
    }
    void touchesMoved(const UITouchSet& t, const std::shared_ptr<UIEvent>& e) override {
        calls.push_back("moved");
        UIView::touchesMoved(t, e);
    }
    void touchesEnded(const UITouchSet& t, const std::shared_ptr<UIEvent>& e) override {
        calls.push_back("ended");
        UIView::touchesEnded(t, e);
    }
    void touchesCancelled(const UITouchSet& t, const std::shared_ptr<UIEvent>& e) override {
        calls.push_back("cancelled");
        UIView::touchesCancelled(t, e);
    }
    std::vector<std::string> calls;
};

class RotixSeeking : public PlayerTest {
protected:
    void TearDown() override {
        FakeSeekController::uninstall();
        PlayerTest::TearDown();
    }

    // A track of the given length, playing from 20 seconds in.
    void playTrack(const std::shared_ptr<Rotix>& view, double duration) {
        source->setInfoQuietly(playbackInfo(20, duration, now()));
        view->tick(nullptr);
        settle();
    }

    // The window point on the ring at an angle clockwise from twelve o'clock,
    // at the ring's radius plus an offset.
    static CGPoint onRing(const std::shared_ptr<Rotix>& view, double angle, CGFloat offset = 0) {
        auto ring = view->songScrubber();
        CGPoint c = centerInWindow(ring);
        CGFloat r = ring->sliderRadius() + offset;
        return {c.x + r * std::sin(angle), c.y - r * std::cos(angle)};
    }

    static CGPoint thumb(const std::shared_ptr<Rotix>& view) {
        settle(); // the thumb is placed when the ring draws
        auto ring = view->songScrubber();
        return ring->convertPointToView(ring->thumbCenterPoint(), nullptr);
    }

    // Drags the finger clockwise along the ring, letting it draw at each step.
    void dragAlongRing(const std::shared_ptr<Rotix>& view, double from, double to) {
        const int steps = 12;
        for (int i = 1; i <= steps; ++i) {
            window->touchMove(onRing(view, from + (to - from) * i / steps));
            settle();
        }
    }

    static std::shared_ptr<UIEvent> eventWith(const std::shared_ptr<UITouch>& touch) {
        return UIEvent::create({touch}, touch->timestamp());
    }
};

TEST_F(RotixSeeking, LiftAtHalfwayOfA201SecondTrackSeeksTo100AndAHalf) {
    auto view = makePlayer();
    playTrack(view, 201);
    ASSERT_EQ(view->f(), 201);
    view->touchDown();
    view->songScrubber()->setValue(0.5f);
    view->touchUp();
    EXPECT_EQ(seeks(), std::vector<double>{100.5});
    EXPECT_FALSE(view->isSeeking());
    EXPECT_FALSE(view->isTouching());
}

TEST_F(RotixSeeking, TargetIsFormedInSinglePrecision) {
    auto view = makePlayer();
    playTrack(view, 3001);
    view->songScrubber()->setValue(0.3f);
    view->touchUpOut();
    ASSERT_EQ(seeks().size(), 1u);
    EXPECT_EQ(seeks()[0], static_cast<double>(0.3f * 3001.0f));
    EXPECT_NE(seeks()[0], 0.3f * 3001.0);
}

TEST_F(RotixSeeking, DragOnTheThumbSeeksWhereTheFingerLifts) {
    auto view = makePlayerOnScreen();
    playTrack(view, 201);
    auto firstTimer = view->timer();
    int resets = idleTimerResets();

    window->touchDown(thumb(view));
    settle();
    EXPECT_TRUE(view->isSeeking());
    EXPECT_TRUE(view->isTouching());
    EXPECT_FALSE(firstTimer->isValid());
    EXPECT_GT(idleTimerResets(), resets);

    dragAlongRing(view, 0, std::numbers::pi);
    float value = view->songScrubber()->value();
    EXPECT_NEAR(value, 0.5, 0.01);
    // The ring's pan took the touch over, which is no end of the touch.
    EXPECT_TRUE(view->isTouching());
    EXPECT_TRUE(view->isSeeking());
    std::string text = *view->trackLabel()->text();
    // While the finger is down neither the ring nor the time moves by itself.
    source->setInfoQuietly(playbackInfo(150, 201, now()));
    run(0.5);
    EXPECT_EQ(view->songScrubber()->value(), value);
    EXPECT_EQ(view->trackLabel()->text(), text);

    window->touchUp(onRing(view, std::numbers::pi));
    settle();
    EXPECT_EQ(seeks(), std::vector<double>{value * 201.0f});
    EXPECT_FALSE(view->isSeeking());
    EXPECT_FALSE(view->isTouching());

    // Ticks come back 0.2 seconds after the lift, on a new timer.
    run(0.19);
    EXPECT_EQ(view->trackLabel()->text(), text);
    run(0.02);
    ASSERT_TRUE(view->timer());
    EXPECT_NE(view->timer(), firstTimer);
    EXPECT_TRUE(view->timer()->isValid());
    run(0.1);
    EXPECT_NE(view->trackLabel()->text(), text);
}

TEST_F(RotixSeeking, LiftOutsideTheThumbSeeksTheSame) {
    auto view = makePlayerOnScreen();
    playTrack(view, 201);
    window->touchDown(thumb(view));
    dragAlongRing(view, 0, std::numbers::pi / 2);
    float value = view->songScrubber()->value();
    // Same direction, well outside the thumb: touch-up-outside.
    window->touchUp(onRing(view, std::numbers::pi / 2, 40));
    settle();
    EXPECT_EQ(view->songScrubber()->value(), value);
    EXPECT_EQ(seeks(), std::vector<double>{value * 201.0f});
    EXPECT_FALSE(view->isSeeking());
}

TEST_F(RotixSeeking, DragFromOffTheThumbSendsNoTouchDownButStillSeeks) {
    auto view = makePlayerOnScreen();
    source->setInfoQuietly(playbackInfo(20, 201, now()));
    run(0.1);
    auto tickTimer = view->timer();

    window->touchDown(onRing(view, std::numbers::pi * 1.5));
    settle();
    EXPECT_FALSE(view->isSeeking());
    EXPECT_TRUE(tickTimer->isValid());
    dragAlongRing(view, std::numbers::pi * 1.5, std::numbers::pi * 1.9);
    // The ticks still run and put the ring back where the music is.
    run(0.1);
    float atLift = view->songScrubber()->value();
    EXPECT_NEAR(atLift, 20.2 / 201, 1e-4);
    window->touchUp(onRing(view, std::numbers::pi * 1.9));
    settle();
    EXPECT_EQ(seeks(), std::vector<double>{atLift * 201.0f});

    // The restart stops the timer that was never stopped: one timer ticks.
    run(0.21);
    EXPECT_FALSE(tickTimer->isValid());
    ASSERT_TRUE(view->timer());
    EXPECT_TRUE(view->timer()->isValid());
}

TEST_F(RotixSeeking, SecondDragInsideTheRestartDelayLeavesOneTimer) {
    auto view = makePlayer();
    playTrack(view, 201);
    std::vector<std::shared_ptr<NSTimer>> timers{view->timer()};
    view->touchDown();
    view->touchUp();
    run(0.1);
    view->touchDown();
    // The first drag's restart runs during the second drag.
    run(0.15);
    timers.push_back(view->timer());
    view->touchUp();
    run(0.25);
    timers.push_back(view->timer());
    int running = 0;
    for (const auto& timer : timers)
        running += timer->isValid();
    EXPECT_EQ(running, 1);
    EXPECT_TRUE(timers.back()->isValid());

    // A restart with no drag before it also replaces rather than adds.
    auto before = view->timer();
    view->restart();
    EXPECT_FALSE(before->isValid());
    EXPECT_TRUE(view->timer()->isValid());
}

TEST_F(RotixSeeking, SeekingStoredFalseMakesTheRingADisplay) {
    setPreference("seeking", false);
    auto view = makePlayerOnScreen();
    playTrack(view, 201);
    auto ring = view->songScrubber();
    EXPECT_FALSE(ring->isUserInteractionEnabled());
    ASSERT_EQ(ring->registrations().size(), 1u);
    EXPECT_EQ(ring->registrations()[0].action, "seeking");
    EXPECT_EQ(ring->registrations()[0].events, 4289u);
    EXPECT_TRUE(ring->actionsForTarget(view, UIControlEventTouchDown) ==
                std::vector<SEL>{"seeking"});

    float value = ring->value();
    window->touchDown(thumb(view));
    dragAlongRing(view, 0, std::numbers::pi);
    window->touchUp(onRing(view, std::numbers::pi));
    settle();
    EXPECT_EQ(ring->value(), value);
    EXPECT_TRUE(seeks().empty());
    EXPECT_FALSE(view->isSeeking());
}

TEST_F(RotixSeeking, SeekingStoredAsANumberIsOff) {
    setPreference("seeking", 1);
    auto view = makePlayer();
    EXPECT_FALSE(view->songScrubber()->isUserInteractionEnabled());
    EXPECT_TRUE(view->songScrubber()->actionsForTarget(view, UIControlEventTouchUpInside) ==
                std::vector<SEL>{"seeking"});
}

TEST_F(RotixSeeking, SeekingTrueWorksAsAbsent) {
    setPreference("seeking", true);
    auto view = makePlayer();
    EXPECT_TRUE(view->songScrubber()->isUserInteractionEnabled());
    EXPECT_EQ(view->songScrubber()->registrations().size(), 5u);
}

TEST_F(RotixSeeking, ActiveOutsideComponentTakesTheSeek) {
    auto controller = FakeSeekController::install();
    auto view = makePlayer();
    playTrack(view, 201);
    view->songScrubber()->setValue(0.5f);
    view->touchUp();
    EXPECT_EQ(controller->seeks, std::vector<double>{100.5});
    EXPECT_TRUE(seeks().empty());

    controller->active = false;
    view->touchUpOut();
    EXPECT_EQ(controller->seeks.size(), 1u);
    EXPECT_EQ(seeks(), std::vector<double>{100.5});
}

TEST_F(RotixSeeking, TouchesOnTheInteractivePartsSetIsTouching) {
    auto view = makePlayerOnScreen();
    for (const std::shared_ptr<UIView>& part :
         {view->scrubberBase(), std::static_pointer_cast<UIView>(view->songScrubber()),
          std::static_pointer_cast<UIView>(view->songImageView()), view->dummy()}) {
        auto touch = UITouch::create(window, centerInWindow(part), now());
        touch->setView(part);
        view->touchesBegan({touch}, eventWith(touch));
        EXPECT_TRUE(view->isTouching());
        view->touchesEnded({touch}, eventWith(touch));
        EXPECT_FALSE(view->isTouching());
        view->touchesMoved({touch}, eventWith(touch));
        EXPECT_TRUE(view->isTouching());
        view->setIsTouching(false);
    }
    for (const std::shared_ptr<UIView>& other :
         {std::static_pointer_cast<UIView>(view), view->buttonBase(),
          std::static_pointer_cast<UIView>(view->titleLabel())}) {
        int resets = idleTimerResets();
        auto touch = UITouch::create(window, {1, 1}, now());
        touch->setView(other);
        view->touchesBegan({touch}, eventWith(touch));
        view->touchesMoved({touch}, eventWith(touch));
        EXPECT_FALSE(view->isTouching());
        EXPECT_EQ(idleTimerResets(), resets + 2);
    }
}

TEST_F(RotixSeeking, RealTouchOnTheDiscSetsIsTouchingAndOnThePlayerOnlyResets) {
    auto view = makePlayerOnScreen();
    CGPoint disc = centerInWindow(view->dummy());
    window->touchDown(disc);
    EXPECT_TRUE(view->isTouching());
    window->touchCancel();
    view->setIsTouching(false);

    // The top corner has only the player (and its background image, which
    // lets touches through).
    int resets = idleTimerResets();
    window->touchDown({2, 2});
    ASSERT_EQ(window->activeTouch()->view(), std::static_pointer_cast<UIView>(view));
    EXPECT_FALSE(view->isTouching());
    EXPECT_EQ(idleTimerResets(), resets + 1);
    window->touchUp({2, 2});
}

TEST_F(RotixSeeking, ATapOnTheDiscLetsTheLockScreenHaveTheNextSwipe) {
    auto view = makePlayerOnScreen();
    CGPoint disc = centerInWindow(view->dummy());
    window->touchDown(disc);
    ASSERT_TRUE(view->isTouching());
    // The disc's tap takes the touch at the lift; no touchesEnded follows.
    window->touchUp(disc);
    settle();
    EXPECT_FALSE(view->isTouching());
}

TEST_F(RotixSeeking, ATapOnTheThumbLeavesTheTicksRunning) {
    auto view = makePlayerOnScreen();
    playTrack(view, 201);
    auto firstTimer = view->timer();
    CGPoint point = thumb(view);
    window->touchDown(point);
    settle();
    ASSERT_TRUE(view->isSeeking());
    ASSERT_FALSE(firstTimer->isValid());
    window->touchUp(point);
    settle();
    EXPECT_FALSE(view->isTouching());
    EXPECT_FALSE(view->isSeeking());
    // Nothing was dragged, so nothing is sought; the ticks come back as after
    // a drag.
    EXPECT_TRUE(seeks().empty());
    std::string text = *view->trackLabel()->text();
    run(0.21);
    ASSERT_TRUE(view->timer());
    EXPECT_TRUE(view->timer()->isValid());
    run(1.0);
    EXPECT_NE(view->trackLabel()->text(), text);
}

TEST_F(RotixSeeking, ADragThatANewTouchCancelsEndsWithoutASeekAndTheTicksComeBack) {
    auto view = makePlayerOnScreen();
    playTrack(view, 201);
    window->touchDown(thumb(view));
    dragAlongRing(view, 0, std::numbers::pi / 2);
    ASSERT_TRUE(view->isSeeking());
    std::string text = *view->trackLabel()->text();
    // A finger going down elsewhere takes the drag's touch away.
    window->touchDown({30, 700});
    settle();
    EXPECT_FALSE(view->isSeeking());
    EXPECT_FALSE(view->isTouching());
    window->touchUp({30, 700});
    settle();
    EXPECT_TRUE(seeks().empty());
    run(0.21);
    ASSERT_TRUE(view->timer());
    EXPECT_TRUE(view->timer()->isValid());
    run(1.0);
    EXPECT_NE(view->trackLabel()->text(), text);
}

TEST_F(RotixSeeking, MovesReachTheSuperclassAsCancellations) {
    auto view = makePlayer();
    auto parent = makeView<TouchLog>(UIScreen::mainScreen()->bounds());
    parent->addSubview(view);
    window = UIWindow::create(UIScreen::mainScreen()->bounds());
    window->addSubview(parent);
    view->setIsTouching(true);
    view->songScrubber()->setValue(0.25f);
    window->touchDown({2, 2});
    window->touchMove({4, 4});
    window->touchUp({4, 4});
    EXPECT_EQ(parent->calls, (std::vector<std::string>{"began", "cancelled", "ended"}));
    EXPECT_FALSE(view->isTouching());
    // Only the end of a touch clears the flags; no seek is sent.
    EXPECT_TRUE(seeks().empty());
}

TEST_F(RotixSeeking, TouchEndClearsSeekingEvenWhilePaused) {
    auto view = makePlayer();
    source->setPlaying(false);
    settle();
    ASSERT_TRUE(view->isSeeking());
    auto touch = UITouch::create(nullptr, {2, 2}, now());
    touch->setView(view);
    view->touchesEnded({touch}, eventWith(touch));
    EXPECT_FALSE(view->isSeeking());
}

} // namespace
