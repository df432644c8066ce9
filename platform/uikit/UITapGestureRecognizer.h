#pragma once

#include "platform/uikit/UIGestureRecognizer.h"

// A single tap: the finger lifts without having moved more than a few points.
class UITapGestureRecognizer : public UIGestureRecognizer {
public:
    static std::shared_ptr<UITapGestureRecognizer> create(const id& target, const SEL& action);

    static constexpr CGFloat kAllowableMovement = 10;

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

    std::string_view className() const override { return "UITapGestureRecognizer"; }

protected:
    using UIGestureRecognizer::UIGestureRecognizer;

private:
    CGPoint m_start;
};
