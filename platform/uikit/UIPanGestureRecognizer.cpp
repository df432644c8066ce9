#include "platform/uikit/UIPanGestureRecognizer.h"

#include "platform/uikit/UIView.h"

#include <cmath>

std::shared_ptr<UIPanGestureRecognizer> UIPanGestureRecognizer::create(const id& target,
                                                                       const SEL& action) {
    return makeObject<UIPanGestureRecognizer>(target, action);
}

CGPoint UIPanGestureRecognizer::translationInView(const std::shared_ptr<UIView>& view) const {
    CGPoint now = locationInView(view);
    CGPoint start = view ? view->convertPointFromView(m_start, nullptr) : m_start;
    return {now.x - start.x, now.y - start.y};
}

void UIPanGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (numberOfTouches() > m_maximumTouches) {
        if (state() == UIGestureRecognizerState::Possible)
            setState(UIGestureRecognizerState::Failed);
        return;
    }
    if (state() == UIGestureRecognizerState::Possible && !touches.empty())
        m_start = touches.front()->locationInWindow();
}

void UIPanGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    if (touches.empty())
        return;
    if (state() == UIGestureRecognizerState::Possible) {
        if (numberOfTouches() < m_minimumTouches || numberOfTouches() > m_maximumTouches)
            return;
        CGPoint p = touches.front()->locationInWindow();
        if (std::hypot(p.x - m_start.x, p.y - m_start.y) >= kHysteresis)
            setState(UIGestureRecognizerState::Began);
    } else if (state() == UIGestureRecognizerState::Began ||
               state() == UIGestureRecognizerState::Changed) {
        setState(UIGestureRecognizerState::Changed);
    }
}

void UIPanGestureRecognizer::touchesEnded(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    if (numberOfTouches() > 0)
        return;
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Ended);
    else if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}
