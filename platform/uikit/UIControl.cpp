#include "platform/uikit/UIControl.h"

#include "platform/objc/Runtime.h"

#include <algorithm>

void UIControl::addTarget(const id& target, const SEL& action, UIControlEvents events) {
    if (action.empty() || events == 0)
        return;
    for (const auto& existing : m_registrations) {
        if (existing.target.lock() == target && existing.action == action &&
            existing.events == events)
            return;
    }
    m_registrations.push_back({target, action, events});
}

void UIControl::removeTarget(const id& target, const SEL& action, UIControlEvents events) {
    std::erase_if(m_registrations, [&](const Registration& existing) {
        return (!target || existing.target.lock() == target) &&
               (action.empty() || existing.action == action) && (existing.events & events);
    });
}

std::vector<SEL> UIControl::actionsForTarget(const id& target, UIControlEvents event) const {
    std::vector<SEL> actions;
    for (const auto& existing : m_registrations) {
        if (existing.target.lock() == target && (existing.events & event))
            actions.push_back(existing.action);
    }
    return actions;
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
    // Copy first: an action may add or remove targets, and keep the control
    // alive while its actions run.
    auto self = shared_from_this();
    auto registrations = m_registrations;
    for (const auto& registration : registrations) {
        if (registration.events & events)
            objc_sendAction(registration.target.lock(), registration.action, self);
    }
}

UIControlState UIControl::state() const {
    UIControlState state = UIControlStateNormal;
    if (m_highlighted)
        state |= UIControlStateHighlighted;
    if (!m_enabled)
        state |= UIControlStateDisabled;
    if (m_selected)
        state |= UIControlStateSelected;
    return state;
}

bool UIControl::beginTrackingWithTouch(const std::shared_ptr<UITouch>&,
                                       const std::shared_ptr<UIEvent>&) {
    return true;
}

bool UIControl::isTouchInsideWithSlop(const std::shared_ptr<UITouch>& touch) {
    CGPoint p = touch->locationInView(std::static_pointer_cast<UIView>(shared_from_this()));
    return CGRectContainsPoint(CGRectInset(bounds(), -kTouchSlop, -kTouchSlop), p);
}

void UIControl::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    auto touch = anyObject(touches);
    if (touch && m_enabled && beginTrackingWithTouch(touch, event)) {
        m_tracking = true;
        m_touchInside = true;
        m_highlighted = true;
        sendActionsForControlEvents(UIControlEventTouchDown);
    }
    UIView::touchesBegan(touches, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    auto touch = anyObject(touches);
    if (touch && m_tracking) {
        bool inside = isTouchInsideWithSlop(touch);
        if (inside != m_touchInside)
            sendActionsForControlEvents(inside ? UIControlEventTouchDragEnter
                                               : UIControlEventTouchDragExit);
        m_touchInside = inside;
        m_highlighted = inside;
        sendActionsForControlEvents(inside ? UIControlEventTouchDragInside
                                           : UIControlEventTouchDragOutside);
    }
    UIView::touchesMoved(touches, event);
}

void UIControl::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    auto touch = anyObject(touches);
    if (touch && m_tracking) {
        bool inside = isTouchInsideWithSlop(touch);
        m_tracking = false;
        m_touchInside = false;
        m_highlighted = false;
        sendActionsForControlEvents(inside ? UIControlEventTouchUpInside
                                           : UIControlEventTouchUpOutside);
    }
    UIView::touchesEnded(touches, event);
}

void UIControl::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    if (m_tracking) {
        m_tracking = false;
        m_touchInside = false;
        m_highlighted = false;
        sendActionsForControlEvents(UIControlEventTouchCancel);
    }
    UIView::touchesCancelled(touches, event);
}
