#pragma once

#include "platform/corefoundation/Clock.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <vector>

class UIView;
class UIWindow;
class UIGestureRecognizer;

enum class UITouchPhase : long { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

// One finger on the screen, from the moment it goes down until it lifts.
class UITouch : public NSObject {
public:
    static std::shared_ptr<UITouch> create(const std::shared_ptr<UIWindow>& window,
                                           CGPoint locationInWindow, CFAbsoluteTime timestamp);

    UITouchPhase phase() const { return m_phase; }
    CFAbsoluteTime timestamp() const { return m_timestamp; }
    // The view the touch began in, fixed for the touch's life.
    std::shared_ptr<UIView> view() const { return m_view; }
    std::shared_ptr<UIWindow> window() const { return m_window.lock(); }
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
        return m_recognizers;
    }

    CGPoint locationInView(const std::shared_ptr<UIView>& view) const;
    CGPoint previousLocationInView(const std::shared_ptr<UIView>& view) const;
    CGPoint locationInWindow() const { return m_location; }

    // Set by the window as the finger moves.
    void update(UITouchPhase phase, CGPoint locationInWindow, CFAbsoluteTime timestamp);
    void setView(std::shared_ptr<UIView> view) { m_view = std::move(view); }
    void setGestureRecognizers(std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers) {
        m_recognizers = std::move(recognizers);
    }

    std::string_view className() const override { return "UITouch"; }

protected:
    UITouch(const std::shared_ptr<UIWindow>& window, CGPoint location, CFAbsoluteTime timestamp);

private:
    UITouchPhase m_phase = UITouchPhase::Began;
    CGPoint m_location;
    CGPoint m_previousLocation;
    CFAbsoluteTime m_timestamp;
    std::shared_ptr<UIView> m_view;
    std::weak_ptr<UIWindow> m_window;
    std::vector<std::shared_ptr<UIGestureRecognizer>> m_recognizers;
};

using UITouchSet = std::vector<std::shared_ptr<UITouch>>;

// NSSet's anyObject: some touch of the set, or nothing for an empty set.
inline std::shared_ptr<UITouch> anyObject(const UITouchSet& touches) {
    return touches.empty() ? nullptr : touches.front();
}

// The event that carries touches to the responders.
class UIEvent : public NSObject {
public:
    static std::shared_ptr<UIEvent> create(UITouchSet touches, CFAbsoluteTime timestamp);
    const UITouchSet& allTouches() const { return m_touches; }
    CFAbsoluteTime timestamp() const { return m_timestamp; }
    std::string_view className() const override { return "UIEvent"; }

protected:
    UIEvent(UITouchSet touches, CFAbsoluteTime timestamp)
        : m_touches(std::move(touches)), m_timestamp(timestamp) {}

private:
    UITouchSet m_touches;
    CFAbsoluteTime m_timestamp;
};
