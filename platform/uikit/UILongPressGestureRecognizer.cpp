#include "platform/uikit/UILongPressGestureRecognizer.h"

#include <cmath>

std::shared_ptr<UILongPressGestureRecognizer>
UILongPressGestureRecognizer::create(const id& target, const SEL& action) {
    return makeObject<UILongPressGestureRecognizer>(target, action);
}

void UILongPressGestureRecognizer::touchesBegan(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (state() != UIGestureRecognizerState::Possible || touches.empty() || m_timer)
        return;
    m_start = touches.front()->locationInWindow();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::weak_ptr<UILongPressGestureRecognizer> weak =
        std::static_pointer_cast<UILongPressGestureRecognizer>(shared_from_this());
    m_timer = loop.schedule(loop.now() + m_minimumPressDuration, [weak] {
        if (auto recognizer = weak.lock())
            recognizer->pressHeldLongEnough();
    });
}

void UILongPressGestureRecognizer::pressHeldLongEnough() {
    m_timer = 0;
    if (state() == UIGestureRecognizerState::Possible && numberOfTouches() > 0 && isEnabled())
        setState(UIGestureRecognizerState::Began);
}

void UILongPressGestureRecognizer::touchesMoved(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    if (touches.empty())
        return;
    if (state() == UIGestureRecognizerState::Possible) {
        CGPoint p = touches.front()->locationInWindow();
        if (std::hypot(p.x - m_start.x, p.y - m_start.y) > m_allowableMovement) {
            cancelTimer();
            setState(UIGestureRecognizerState::Failed);
        }
    } else if (state() == UIGestureRecognizerState::Began ||
               state() == UIGestureRecognizerState::Changed) {
        setState(UIGestureRecognizerState::Changed);
    }
}

void UILongPressGestureRecognizer::touchesEnded(const UITouchSet& touches,
                                                const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    if (numberOfTouches() > 0)
        return;
    cancelTimer();
    if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
    else if (state() == UIGestureRecognizerState::Began ||
             state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Ended);
}

void UILongPressGestureRecognizer::touchesCancelled(const UITouchSet& touches,
                                                    const std::shared_ptr<UIEvent>& event) {
    cancelTimer();
    UIGestureRecognizer::touchesCancelled(touches, event);
}

void UILongPressGestureRecognizer::reset() {
    cancelTimer();
    UIGestureRecognizer::reset();
}

void UILongPressGestureRecognizer::cancelTimer() {
    if (m_timer) {
        NSRunLoop::mainRunLoop().cancel(m_timer);
        m_timer = 0;
    }
}
