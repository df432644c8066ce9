#include "platform/uikit/UIGestureRecognizer.h"

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIView.h"

#include <algorithm>

UIGestureRecognizer::UIGestureRecognizer(const id& target, const SEL& action) {
    if (target && !action.empty())
        m_targets.push_back({target, action});
}

void UIGestureRecognizer::addTarget(const id& target, const SEL& action) {
    for (const auto& existing : m_targets) {
        if (existing.target.lock() == target && existing.action == action)
            return;
    }
    m_targets.push_back({target, action});
}

void UIGestureRecognizer::removeTarget(const id& target, const SEL& action) {
    std::erase_if(m_targets, [&](const Target& existing) {
        return (!target || existing.target.lock() == target) &&
               (action.empty() || existing.action == action);
    });
}

std::vector<std::pair<id, SEL>> UIGestureRecognizer::targetActions() const {
    std::vector<std::pair<id, SEL>> result;
    for (const auto& target : m_targets) {
        if (auto strong = target.target.lock())
            result.emplace_back(strong, target.action);
    }
    return result;
}

void UIGestureRecognizer::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled && (m_state == UIGestureRecognizerState::Began ||
                     m_state == UIGestureRecognizerState::Changed))
        setState(UIGestureRecognizerState::Cancelled);
}

CGPoint UIGestureRecognizer::locationInView(const std::shared_ptr<UIView>& view) const {
    CGPoint inWindow = m_lastLocationInWindow;
    if (!m_touches.empty()) {
        // The centroid of the touches, as the platform reports it.
        CGPoint sum{0, 0};
        for (const auto& touch : m_touches) {
            CGPoint p = touch->locationInWindow();
            sum.x += p.x;
            sum.y += p.y;
        }
        inWindow = {sum.x / m_touches.size(), sum.y / m_touches.size()};
    }
    return view ? view->convertPointFromView(inWindow, nullptr) : inWindow;
}

void UIGestureRecognizer::trackTouches(const UITouchSet& touches) {
    for (const auto& touch : touches) {
        if (std::find(m_touches.begin(), m_touches.end(), touch) == m_touches.end())
            m_touches.push_back(touch);
        m_lastLocationInWindow = touch->locationInWindow();
    }
}

void UIGestureRecognizer::untrackTouches(const UITouchSet& touches) {
    for (const auto& touch : touches) {
        m_lastLocationInWindow = touch->locationInWindow();
        std::erase(m_touches, touch);
    }
}

void UIGestureRecognizer::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
    trackTouches(touches);
}

void UIGestureRecognizer::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
    if (!touches.empty())
        m_lastLocationInWindow = touches.front()->locationInWindow();
}

void UIGestureRecognizer::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) {
    untrackTouches(touches);
}

void UIGestureRecognizer::touchesCancelled(const UITouchSet& touches,
                                           const std::shared_ptr<UIEvent>&) {
    untrackTouches(touches);
    if (m_state == UIGestureRecognizerState::Began || m_state == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Cancelled);
    else if (m_state == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}

void UIGestureRecognizer::failIfPossible() {
    if (m_state == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}

void UIGestureRecognizer::reset() {
    m_state = UIGestureRecognizerState::Possible;
    m_touches.clear();
}

void UIGestureRecognizer::setState(UIGestureRecognizerState state) {
    m_state = state;
    bool recognisedNow = state == UIGestureRecognizerState::Began ||
                         (!isContinuous() && state == UIGestureRecognizerState::Recognized);
    // Keep this recogniser alive while its targets run: one of them may
    // remove it from its view.
    auto self = shared_from_this();
    if (recognisedNow && m_stateObserver)
        m_stateObserver(*this);
    bool reports = state == UIGestureRecognizerState::Began ||
                   state == UIGestureRecognizerState::Changed ||
                   state == UIGestureRecognizerState::Ended ||
                   (state == UIGestureRecognizerState::Cancelled && isContinuous());
    if (reports)
        sendActions();
}

void UIGestureRecognizer::sendActions() {
    auto targets = m_targets;
    for (const auto& target : targets)
        objc_sendAction(target.target.lock(), target.action, shared_from_this());
}
