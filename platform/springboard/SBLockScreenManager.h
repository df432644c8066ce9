#pragma once

#include "platform/objc/Runtime.h"

class SBLockScreenViewController;

// Reaches the lock screen's controller.
class SBLockScreenManager : public NSObject {
public:
    static Class registerClass();
    static std::shared_ptr<SBLockScreenManager> sharedInstance();

    // -lockScreenViewController
    const std::shared_ptr<SBLockScreenViewController>& lockScreenViewController() const {
        return m_controller;
    }

    std::string_view className() const override { return "SBLockScreenManager"; }

protected:
    SBLockScreenManager();

private:
    std::shared_ptr<SBLockScreenViewController> m_controller;
};
