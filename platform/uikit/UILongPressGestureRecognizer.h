#pragma once

#include "platform/uikit/UIGestureRecognizer.h"

// A finger held still for the minimum duration; then every movement reports a
// change and the lift ends it.
class UILongPressGestureRecognizer : public UIGestureRecognizer {
public:
    static std::shared_ptr<UILongPressGestureRecognizer> create(const id& target,
                                                                const SEL& action);

    static constexpr double kDefaultMinimumPressDuration = 0.5;

    double minimumPressDuration() const { return m_minimumPressDuration; }
    void setMinimumPressDuration(double seconds) { m_minimumPressDuration = seconds; }
    CGFloat allowableMovement() const { return m_allowableMovement; }
    void setAllowableMovement(CGFloat points) { m_allowableMovement = points; }
    bool isContinuous() const override { return true; }

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches,
                          const std::shared_ptr<UIEvent>& event) override;
    void reset() override;

    std::string_view className() const override { return "UILongPressGestureRecognizer"; }

protected:
    using UIGestureRecognizer::UIGestureRecognizer;

private:
    void cancelTimer();
    void pressHeldLongEnough();

    double m_minimumPressDuration = kDefaultMinimumPressDuration;
    CGFloat m_allowableMovement = 10;
    CGPoint m_start;
    NSRunLoop::Token m_timer = 0;
};
