#include "platform/ActionRecorder.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UIWindow.h"
#include "support/ManualClockFixture.h"

namespace {

// A view that writes down the touch calls it gets.
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

class UIKit : public ManualClockTest {
protected:
    void SetUp() override {
        ManualClockTest::SetUp();
        for (const char* action : {"pressed", "down", "upInside", "upOutside", "cancel", "changed",
                                   "tapped:", "held:", "panned:"})
            ActionRecorder::addAction(action);
        recorder = ActionRecorder::create();
        window = UIWindow::create(CGRectMake(0, 0, 400, 400));
    }
    std::shared_ptr<ActionRecorder> recorder;
    std::shared_ptr<UIWindow> window;
};

TEST_F(UIKit, FrameCenterAndBoundsAgree) {
    auto view = UIView::create(CGRectMake(10, 20, 100, 50));
    EXPECT_EQ(view->center(), CGPointMake(60, 45));
    EXPECT_EQ(view->bounds(), CGRectMake(0, 0, 100, 50));
    view->setCenter(CGPointMake(0, 0));
    EXPECT_EQ(view->frame(), CGRectMake(-50, -25, 100, 50));
}

TEST_F(UIKit, SubviewsKeepOrderAndMoveBetweenParents) {
    auto a = UIView::create();
    auto b = UIView::create();
    auto c = UIView::create();
    a->addSubview(b);
    a->insertSubviewAtIndex(c, 0);
    ASSERT_EQ(a->subviews().size(), 2u);
    EXPECT_EQ(a->subviews()[0], c);
    EXPECT_EQ(b->superview(), a);
    auto other = UIView::create();
    other->addSubview(b);
    EXPECT_EQ(a->subviews().size(), 1u);
    EXPECT_EQ(b->superview(), other);
    // The superview is held weakly.
    std::weak_ptr<UIView> weakOther = other;
    other.reset();
    EXPECT_TRUE(weakOther.expired());
    EXPECT_EQ(b->superview(), nullptr);
}

TEST_F(UIKit, FlexibleMarginsKeepAViewCentred) {
    auto parent = UIView::create(CGRectMake(0, 0, 200, 200));
    auto child = UIView::create(CGRectMake(50, 50, 100, 100));
    child->setAutoresizingMask(45);
    parent->addSubview(child);
    parent->setFrame(CGRectMake(0, 0, 400, 300));
    EXPECT_EQ(child->frame(), CGRectMake(150, 100, 100, 100));
}

TEST_F(UIKit, HitTestSkipsHiddenAndNonInteractiveViews) {
    auto back = UIView::create(CGRectMake(0, 0, 100, 100));
    auto front = UIView::create(CGRectMake(0, 0, 100, 100));
    window->addSubview(back);
    window->addSubview(front);
    EXPECT_EQ(window->hitTest({50, 50}, nullptr), front);
    front->setHidden(true);
    EXPECT_EQ(window->hitTest({50, 50}, nullptr), back);
    back->setUserInteractionEnabled(false);
    EXPECT_EQ(window->hitTest({50, 50}, nullptr), window);
    EXPECT_EQ(window->hitTest({500, 50}, nullptr), nullptr);
}

TEST_F(UIKit, ControlIgnoresARegistrationItAlreadyHolds) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->addTarget(recorder, "pressed", UIControlEventTouchUpInside);
    button->addTarget(recorder, "pressed", UIControlEventTouchUpInside);
    EXPECT_EQ(button->registrations().size(), 1u);
    // Another event set for the same pair is a registration of its own.
    button->addTarget(recorder, "pressed", UIControlEventTouchDown | UIControlEventTouchUpInside);
    EXPECT_EQ(button->registrations().size(), 2u);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"pressed", "pressed"}));
}

TEST_F(UIKit, ControlTargetsAreWeak) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    auto target = ActionRecorder::create();
    std::weak_ptr<ActionRecorder> weak = target;
    button->addTarget(target, "pressed", UIControlEventTouchUpInside);
    target.reset();
    EXPECT_TRUE(weak.expired());
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
}

TEST_F(UIKit, ButtonTracksTouchUpInsideAndOutside) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(100, 100, 50, 50));
    window->addSubview(button);
    button->addTarget(recorder, "down", UIControlEventTouchDown);
    button->addTarget(recorder, "upInside", UIControlEventTouchUpInside);
    button->addTarget(recorder, "upOutside", UIControlEventTouchUpOutside);
    window->touchDown({120, 120});
    window->touchUp({125, 125});
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"down", "upInside"}));
    recorder->actions.clear();
    window->touchDown({120, 120});
    window->touchMove({390, 390});
    window->touchUp({390, 390});
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"down", "upOutside"}));
}

TEST_F(UIKit, LongPressGoesThroughItsStates) {
    auto view = UIView::create(CGRectMake(0, 0, 200, 200));
    window->addSubview(view);
    auto press = UILongPressGestureRecognizer::create(recorder, "held:");
    press->setMinimumPressDuration(1.0);
    view->addGestureRecognizer(press);
    window->touchDown({50, 50});
    run(0.99);
    EXPECT_TRUE(recorder->actions.empty());
    run(0.01);
    window->touchMove({52, 50});
    window->touchMove({54, 50});
    window->touchUp({54, 50});
    EXPECT_EQ(recorder->actions,
              (std::vector<std::string>{"held:1", "held:2", "held:2", "held:3"}));
    EXPECT_EQ(press->state(), UIGestureRecognizerState::Possible);
}

TEST_F(UIKit, LongPressFailsWhenLiftedEarlyOrMovedFar) {
    auto view = UIView::create(CGRectMake(0, 0, 200, 200));
    window->addSubview(view);
    auto press = UILongPressGestureRecognizer::create(recorder, "held:");
    view->addGestureRecognizer(press);
    window->touchDown({50, 50});
    run(0.3);
    window->touchUp({50, 50});
    run(1);
    window->touchDown({50, 50});
    window->touchMove({80, 50});
    run(1);
    window->touchUp({80, 50});
    EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(UIKit, CancelledLongPressReportsCancelledNotEnded) {
    auto view = UIView::create(CGRectMake(0, 0, 200, 200));
    window->addSubview(view);
    view->addGestureRecognizer(UILongPressGestureRecognizer::create(recorder, "held:"));
    window->touchDown({50, 50});
    run(0.6);
    window->touchCancel();
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"held:1", "held:4"}));
}

TEST_F(UIKit, LongPressOnAButtonTakesTheTouchFromIt) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(0, 0, 50, 50));
    window->addSubview(button);
    button->addTarget(recorder, "upInside", UIControlEventTouchUpInside);
    button->addTarget(recorder, "cancel", UIControlEventTouchCancel);
    button->addGestureRecognizer(UILongPressGestureRecognizer::create(recorder, "held:"));
    window->touchDown({25, 25});
    run(0.6);
    window->touchUp({25, 25});
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"cancel", "held:1", "held:3"}));
}

TEST_F(UIKit, PanBeginsAfterTheFingerHasMovedAndFollowsIt) {
    auto view = UIView::create(CGRectMake(0, 0, 300, 300));
    window->addSubview(view);
    auto pan = UIPanGestureRecognizer::create(recorder, "panned:");
    view->addGestureRecognizer(pan);
    window->touchDown({100, 100});
    window->touchMove({104, 100});
    EXPECT_TRUE(recorder->actions.empty());
    window->touchMove({115, 100});
    EXPECT_EQ(pan->locationInView(view), CGPointMake(115, 100));
    window->touchMove({130, 100});
    window->touchUp({140, 100});
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"panned:1", "panned:2", "panned:3"}));
    EXPECT_EQ(pan->state(), UIGestureRecognizerState::Possible);
}

TEST_F(UIKit, TapRecognisesOnLiftAndCancelsTheViewsTouch) {
    auto view = makeView<TouchLog>(CGRectMake(0, 0, 300, 300));
    window->addSubview(view);
    view->addGestureRecognizer(UITapGestureRecognizer::create(recorder, "tapped:"));
    window->touchDown({50, 50});
    window->touchUp({52, 50});
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"tapped:3"}));
    EXPECT_EQ(view->calls, (std::vector<std::string>{"began", "cancelled"}));
}

TEST_F(UIKit, OnlyOneRecogniserTakesATouch) {
    auto view = makeView<TouchLog>(CGRectMake(0, 0, 300, 300));
    window->addSubview(view);
    view->addGestureRecognizer(UITapGestureRecognizer::create(recorder, "tapped:"));
    view->addGestureRecognizer(UIPanGestureRecognizer::create(recorder, "panned:"));
    window->touchDown({50, 50});
    window->touchMove({80, 50});
    window->touchUp({80, 50});
    EXPECT_EQ(recorder->actions, (std::vector<std::string>{"panned:1", "panned:3"}));
    EXPECT_EQ(view->calls, (std::vector<std::string>{"began", "cancelled"}));
}

TEST_F(UIKit, TouchesGoUpTheResponderChain) {
    auto parent = makeView<TouchLog>(CGRectMake(0, 0, 300, 300));
    auto child = UIView::create(CGRectMake(10, 10, 50, 50));
    parent->addSubview(child);
    window->addSubview(parent);
    window->touchDown({20, 20});
    window->touchMove({21, 20});
    window->touchUp({21, 20});
    EXPECT_EQ(parent->calls, (std::vector<std::string>{"began", "moved", "ended"}));
}

TEST_F(UIKit, RemovingAViewDuringItsOwnActionIsSafe) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(0, 0, 50, 50));
    window->addSubview(button);
    Class cls = objc_getClass("TestActionRecorder");
    class_addMethod<void, id>(cls, "removeSender:", [](const id&, const SEL&, id sender) {
        std::dynamic_pointer_cast<UIView>(sender)->removeFromSuperview();
    });
    button->addTarget(recorder, "removeSender:", UIControlEventTouchUpInside);
    std::weak_ptr<UIButton> weak = button;
    button.reset();
    window->touchDown({25, 25});
    window->touchUp({25, 25});
    EXPECT_TRUE(window->subviews().empty());
}

} // namespace
