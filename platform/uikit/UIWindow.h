#pragma once

#include "platform/uikit/UIView.h"

#include <memory>

// The screen's root view. It turns a finger's movements into touches: it hit
// tests where the finger goes down, gives the touch to the recognisers of
// that view and its ancestors first, then to the view, and cancels the view's
// touch once a recogniser takes the gesture.
class UIWindow : public UIView {
public:
    static std::shared_ptr<UIWindow> create(CGRect frame);
    ~UIWindow() override;

    // One finger, in window points.
    void touchDown(CGPoint point);
    void touchMove(CGPoint point);
    void touchUp(CGPoint point);
    void touchCancel();
    bool hasActiveTouch() const { return m_touch != nullptr; }
    const std::shared_ptr<UITouch>& activeTouch() const { return m_touch; }

    // Takes a touch away from its view, as a scroll view does when it starts
    // scrolling: the view gets touchesCancelled and nothing more.
    void cancelTouchInView(const std::shared_ptr<UITouch>& touch);

    std::string_view className() const override { return "UIWindow"; }

protected:
    UIWindow() = default;

private:
    // Moves the active touch to the point in the phase (moved or ended) and
    // tells the recognisers still following it, then its view unless taken
    // from it. False without an active touch.
    bool continueTouch(UITouchPhase phase, CGPoint point);
    void recognizerRecognized(UIGestureRecognizer& recognizer);
    void finishTouch();
    std::shared_ptr<UIEvent> eventFor(const std::shared_ptr<UITouch>& touch) const;

    std::shared_ptr<UITouch> m_touch;
    bool m_viewCancelled = false;
};
