#pragma once

#include "platform/uikit/UIGestureRecognizer.h"

#include <climits>

// A drag: it begins once the finger has moved far enough, reports every
// movement after that as a change, and ends when the finger lifts.
class UIPanGestureRecognizer : public UIGestureRecognizer {
public:
    static std::shared_ptr<UIPanGestureRecognizer> create(const id& target, const SEL& action);

    static constexpr CGFloat kHysteresis = 10;

    unsigned long minimumNumberOfTouches() const { return m_minimumTouches; }
    void setMinimumNumberOfTouches(unsigned long count) { m_minimumTouches = count; }
    unsigned long maximumNumberOfTouches() const { return m_maximumTouches; }
    void setMaximumNumberOfTouches(unsigned long count) { m_maximumTouches = count; }
    bool isContinuous() const override { return true; }

    CGPoint translationInView(const std::shared_ptr<UIView>& view) const;

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

    std::string_view className() const override { return "UIPanGestureRecognizer"; }

protected:
    using UIGestureRecognizer::UIGestureRecognizer;

private:
    unsigned long m_minimumTouches = 1;
    unsigned long m_maximumTouches = ULONG_MAX;
    CGPoint m_start;
};
