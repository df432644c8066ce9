#include "platform/uikit/UITapGestureRecognizer.h"

#include <cmath>

std::shared_ptr<UITapGestureRecognizer> UITapGestureRecognizer::create(const id& target,
                                                                       const SEL& action) {
    return makeObject<UITapGestureRecognizer>(target, action);
}

void UITapGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (numberOfTouches() > 1)
        failIfPossible();
    else if (!touches.empty())
        m_start = touches.front()->locationInWindow();
}

void UITapGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    if (touches.empty() || state() != UIGestureRecognizerState::Possible)
        return;
    CGPoint p = touches.front()->locationInWindow();
    if (std::hypot(p.x - m_start.x, p.y - m_start.y) > kAllowableMovement)
        setState(UIGestureRecognizerState::Failed);
}

void UITapGestureRecognizer::touchesEnded(const UITouchSet& touches,
                                          const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    if (state() == UIGestureRecognizerState::Possible && numberOfTouches() == 0)
        setState(UIGestureRecognizerState::Recognized);
}
