#pragma once

#include "platform/foundation/NSRunLoop.h"
#include "platform/objc/Runtime.h"

#include <functional>

// The screen's backlight on the lock screen: it dims when the idle timer runs
// out, ten seconds after the last reset or touch, as a phone's would.
class SBBacklightController : public NSObject {
public:
    static constexpr double kLockScreenIdleInterval = 10.0;

    static Class registerClass();
    static std::shared_ptr<SBBacklightController> sharedInstance();

    // -resetLockScreenIdleTimer
    void resetLockScreenIdleTimer();
    // A finger on the screen wakes it and restarts the countdown.
    void userActivity();

    int idleTimerResetCount() const { return m_resets; }
    bool isDimmed() const { return m_dimmed; }
    void setDimmingHandler(std::function<void(bool dimmed)> handler) {
        m_handler = std::move(handler);
    }
    // Starts the countdown, as the lock screen does when it appears.
    void start();

    std::string_view className() const override { return "SBBacklightController"; }

protected:
    SBBacklightController() = default;

private:
    void restartCountdown();
    void setDimmed(bool dimmed);

    int m_resets = 0;
    bool m_dimmed = false;
    NSRunLoop::Token m_countdown = 0;
    std::function<void(bool)> m_handler;
};
