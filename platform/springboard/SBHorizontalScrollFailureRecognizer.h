#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIGestureRecognizer.h"

// Watches drags on the lock screen's pages and recognises the ones that are
// out of bounds for horizontal scrolling: once it does, every other gesture
// still waiting on that touch fails, the page's and its content's alike.
class SBHorizontalScrollFailureRecognizer : public UIGestureRecognizer {
public:
    // The finger must travel this far before its angle says anything.
    static constexpr CGFloat kDecisionDistance = 5;
    // Drags steeper than this, from the horizontal, are out of bounds.
    static constexpr double kMaximumAngle = 0.5235987755982988; // 30 degrees

    static Class registerClass();
    static std::shared_ptr<SBHorizontalScrollFailureRecognizer> create();

    // -_isOutOfBounds:forAngle:
    bool isOutOfBounds(CGPoint point, double angle);

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

    std::string_view className() const override { return "SBHorizontalScrollFailureRecognizer"; }

protected:
    SBHorizontalScrollFailureRecognizer() : UIGestureRecognizer(nullptr, {}) {}

private:
    bool originalIsOutOfBounds(CGPoint point, double angle);

    CGPoint m_start;
};
