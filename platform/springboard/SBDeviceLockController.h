#pragma once

#include "platform/objc/Runtime.h"

// Whether the device is locked with a passcode.
class SBDeviceLockController : public NSObject {
public:
    static Class registerClass();
    static std::shared_ptr<SBDeviceLockController> sharedController();

    // -isPasscodeLocked
    bool isPasscodeLocked() const { return m_locked; }
    void setPasscodeLocked(bool locked) { m_locked = locked; }

    std::string_view className() const override { return "SBDeviceLockController"; }

protected:
    SBDeviceLockController() = default;

private:
    bool m_locked = false;
};
