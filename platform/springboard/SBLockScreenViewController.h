#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIViewController.h"

#include <functional>

// The lock screen's controller: it brings up the passcode screen over the
// lock screen and runs a completion once the screen shows.
class SBLockScreenViewController : public UIViewController {
public:
    // The passcode screen slides up in this long when animated.
    static constexpr double kPasscodeAnimationDuration = 0.3;

    static Class registerClass();
    static std::shared_ptr<SBLockScreenViewController> create();

    // -setPasscodeLockVisible:animated:completion:
    void setPasscodeLockVisible(bool visible, bool animated, std::function<void()> completion);

    bool isPasscodeLockVisible() const { return m_passcodeVisible; }
    int passcodeRequestCount() const { return m_requests; }
    // The view the passcode screen is shown in; the host puts it on screen.
    const std::shared_ptr<UIView>& passcodeView();
    // Lays the keypad out again for the view's present size, after the
    // screen turned.
    void layOutPasscodeView();

    std::string_view className() const override { return "SBLockScreenViewController"; }

protected:
    SBLockScreenViewController() = default;

private:
    void buildPasscodeView();
    void fillPasscodeView();

    bool m_passcodeVisible = false;
    int m_requests = 0;
    std::shared_ptr<UIView> m_passcodeView;
};
