#pragma once

#include "platform/uikit/UIPanGestureRecognizer.h"

class UIScrollView;

// The scroll view's own drag: before it begins, it asks the scroll view
// whether the drag may scroll and may take the touch from the view it began
// in.
class UIScrollViewPanGestureRecognizer : public UIPanGestureRecognizer {
public:
    static std::shared_ptr<UIScrollViewPanGestureRecognizer>
    create(const std::shared_ptr<UIScrollView>& scrollView);

    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

    std::string_view className() const override { return "UIScrollViewPanGestureRecognizer"; }

protected:
    using UIPanGestureRecognizer::UIPanGestureRecognizer;

private:
    std::weak_ptr<UIScrollView> m_scrollView;
};
