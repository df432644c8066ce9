#pragma once

#include "platform/foundation/NSRunLoop.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UITouch.h"

#include <functional>
#include <memory>
#include <vector>

class UIView;

enum class UIGestureRecognizerState : long {
    Possible = 0,
    Began = 1,
    Changed = 2,
    Ended = 3,
    Cancelled = 4,
    Failed = 5,
    Recognized = Ended,
};

// Watches the touches of a view and its subviews and reports a gesture to its
// targets. Touches reach recognisers before the view; once one recognises,
// the others on the same touch fail and the view's touches are cancelled.
class UIGestureRecognizer : public NSObject {
public:
    // Targets are held weakly, as the platform does.
    void addTarget(const id& target, const SEL& action);
    void removeTarget(const id& target, const SEL& action);
    // The live targets and their actions, for dumps.
    std::vector<std::pair<id, SEL>> targetActions() const;

    UIGestureRecognizerState state() const { return m_state; }
    std::shared_ptr<UIView> view() const { return m_view.lock(); }
    void setView(const std::shared_ptr<UIView>& view) { m_view = view; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }
    // Continuous recognisers report began, changed and ended; discrete ones
    // only recognised.
    virtual bool isContinuous() const { return false; }

    CGPoint locationInView(const std::shared_ptr<UIView>& view) const;
    unsigned long numberOfTouches() const { return m_touches.size(); }

    // Touch delivery, from the window.
    virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);

    // Forces the recogniser to fail (another recognised first).
    void failIfPossible();
    // Back to possible once the gesture is over, for the next touches.
    virtual void reset();

    // The window listens for recognition, to fail the others and cancel the
    // view's touches, even when it happens on a timer between touch events.
    void setStateObserver(std::function<void(UIGestureRecognizer&)> observer) {
        m_stateObserver = std::move(observer);
    }

    std::string_view className() const override { return "UIGestureRecognizer"; }

protected:
    UIGestureRecognizer(const id& target, const SEL& action);

    void setState(UIGestureRecognizerState state);
    const UITouchSet& trackedTouches() const { return m_touches; }
    void trackTouches(const UITouchSet& touches);
    void untrackTouches(const UITouchSet& touches);

private:
    void sendActions();

    struct Target {
        WeakId target;
        SEL action;
    };
    std::vector<Target> m_targets;
    std::weak_ptr<UIView> m_view;
    UIGestureRecognizerState m_state = UIGestureRecognizerState::Possible;
    bool m_enabled = true;
    bool m_cancelsTouchesInView = true;
    UITouchSet m_touches;
    CGPoint m_lastLocationInWindow;
    std::function<void(UIGestureRecognizer&)> m_stateObserver;
};
