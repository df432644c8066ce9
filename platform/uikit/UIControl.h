#pragma once

#include "platform/uikit/UIView.h"

#include <vector>

using UIControlEvents = unsigned long;
constexpr UIControlEvents UIControlEventTouchDown = 1 << 0;
constexpr UIControlEvents UIControlEventTouchDownRepeat = 1 << 1;
constexpr UIControlEvents UIControlEventTouchDragInside = 1 << 2;
constexpr UIControlEvents UIControlEventTouchDragOutside = 1 << 3;
constexpr UIControlEvents UIControlEventTouchDragEnter = 1 << 4;
constexpr UIControlEvents UIControlEventTouchDragExit = 1 << 5;
constexpr UIControlEvents UIControlEventTouchUpInside = 1 << 6;
constexpr UIControlEvents UIControlEventTouchUpOutside = 1 << 7;
constexpr UIControlEvents UIControlEventTouchCancel = 1 << 8;
constexpr UIControlEvents UIControlEventValueChanged = 1 << 12;
constexpr UIControlEvents UIControlEventAllTouchEvents = 0x0FFF;
constexpr UIControlEvents UIControlEventAllEvents = 0xFFFFFFFF;

using UIControlState = unsigned long;
constexpr UIControlState UIControlStateNormal = 0;
constexpr UIControlState UIControlStateHighlighted = 1 << 0;
constexpr UIControlState UIControlStateDisabled = 1 << 1;
constexpr UIControlState UIControlStateSelected = 1 << 2;

// A view that reports what the finger does to it through target-action
// pairs, each registered for a set of events.
class UIControl : public UIView {
public:
    struct Registration {
        WeakId target;
        SEL action;
        UIControlEvents events;
    };

    // Adding a target, action and event set that is already held adds nothing.
    void addTarget(const id& target, const SEL& action, UIControlEvents events);
    void removeTarget(const id& target, const SEL& action, UIControlEvents events);
    const std::vector<Registration>& registrations() const { return m_registrations; }
    // The actions registered for one target and event.
    std::vector<SEL> actionsForTarget(const id& target, UIControlEvents event) const;

    // Sends every action whose event set meets the events given.
    void sendActionsForControlEvents(UIControlEvents events);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted) { m_highlighted = highlighted; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    bool isTracking() const { return m_tracking; }
    bool isTouchInside() const { return m_touchInside; }
    UIControlState state() const;

    // Touch tracking: touch-down when the finger goes down, touch-up inside
    // or outside when it lifts. Controls whose tracking is their own answer
    // NO to beginTracking and send their events themselves.
    virtual bool beginTrackingWithTouch(const std::shared_ptr<UITouch>& touch,
                                        const std::shared_ptr<UIEvent>& event);

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches,
                          const std::shared_ptr<UIEvent>& event) override;

    std::string_view className() const override { return "UIControl"; }

protected:
    UIControl() = default;

private:
    // How far outside the bounds a finger still counts as inside, as on the
    // platform.
    static constexpr CGFloat kTouchSlop = 70;
    bool isTouchInsideWithSlop(const std::shared_ptr<UITouch>& touch);

    std::vector<Registration> m_registrations;
    bool m_enabled = true;
    bool m_highlighted = false;
    bool m_selected = false;
    bool m_tracking = false;
    bool m_touchInside = false;
};
