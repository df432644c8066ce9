#include "platform/uikit/UITouch.h"

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

UITouch::UITouch(const std::shared_ptr<UIWindow>& window, CGPoint location,
                 CFAbsoluteTime timestamp)
    : m_location(location), m_previousLocation(location), m_timestamp(timestamp), m_window(window) {
}

std::shared_ptr<UITouch> UITouch::create(const std::shared_ptr<UIWindow>& window,
                                         CGPoint locationInWindow, CFAbsoluteTime timestamp) {
    return makeObject<UITouch>(window, locationInWindow, timestamp);
}

void UITouch::update(UITouchPhase phase, CGPoint locationInWindow, CFAbsoluteTime timestamp) {
    m_phase = phase;
    m_previousLocation = m_location;
    m_location = locationInWindow;
    m_timestamp = timestamp;
}

CGPoint UITouch::locationInView(const std::shared_ptr<UIView>& view) const {
    if (!view)
        return m_location;
    return view->convertPointFromView(m_location, nullptr);
}

CGPoint UITouch::previousLocationInView(const std::shared_ptr<UIView>& view) const {
    if (!view)
        return m_previousLocation;
    return view->convertPointFromView(m_previousLocation, nullptr);
}

std::shared_ptr<UIEvent> UIEvent::create(UITouchSet touches, CFAbsoluteTime timestamp) {
    return makeObject<UIEvent>(std::move(touches), timestamp);
}
