#include "platform/uikit/UIScrollViewPanGestureRecognizer.h"

#include "platform/uikit/UIScrollView.h"

#include <cmath>

std::shared_ptr<UIScrollViewPanGestureRecognizer>
UIScrollViewPanGestureRecognizer::create(const std::shared_ptr<UIScrollView>& scrollView) {
    auto recognizer = makeObject<UIScrollViewPanGestureRecognizer>(scrollView, "handlePan:");
    recognizer->m_scrollView = scrollView;
    return recognizer;
}

void UIScrollViewPanGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                                    const std::shared_ptr<UIEvent>& event) {
    auto scrollView = m_scrollView.lock();
    auto touch = anyObject(touches);
    if (scrollView && touch && state() == UIGestureRecognizerState::Possible) {
        CGPoint translation = translationInView(nullptr);
        if (std::hypot(translation.x, translation.y) >= kHysteresis) {
            bool allowed =
                scrollView->isScrollEnabled() &&
                scrollView->shouldBeginScrolling(touch->locationInView(scrollView), translation);
            auto contentView = touch->view();
            if (allowed && contentView && contentView != scrollView)
                allowed = scrollView->touchesShouldCancelInContentView(contentView);
            if (!allowed) {
                setState(UIGestureRecognizerState::Failed);
                return;
            }
        }
    }
    UIPanGestureRecognizer::touchesMoved(touches, event);
}
