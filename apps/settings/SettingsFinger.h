#pragma once

#include "platform/graphics/CGGeometry.h"

#include <memory>
#include <optional>

class PSSpecifier;
class SettingsHost;

// One finger on the Settings screen, doing what a person means by it. A tap
// on a row selects it (a switch flips, a link opens its pane, a button sends
// its action, a text row takes typing), on the bar's back or right button presses it, on an alert's
// button answers the alert. A finger put down on a slider's knob moves the
// value with it. Any other drag over the list scrolls it, and is no tap.
// While the mail composer covers the pane nothing under it takes a touch.
class SettingsFinger {
public:
    explicit SettingsFinger(SettingsHost& host) : m_host(host) {}

    void down(CGPoint point);
    void move(CGPoint point);
    void up(CGPoint point);
    bool isDown() const { return m_down; }

    // How far a finger may wander and still tap, in points.
    static constexpr CGFloat kTapSlop = 8;

private:
    enum class Target { None, AlertButton, BarButton, Row, Slider };

    void scrollList(CGPoint point);
    void moveSlider(CGPoint point);
    void settle();

    SettingsHost& m_host;
    bool m_down = false;
    bool m_moved = false;
    Target m_target = Target::None;
    CGPoint m_start{};
    CGFloat m_startOffset = 0;
    std::optional<long> m_alertButton;
    std::shared_ptr<PSSpecifier> m_row;
};
