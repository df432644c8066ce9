#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UIDeviceProfile.h"

#include <memory>
#include <mutex>

// The device's screen. Its bounds and scale come from the device profile the
// host chose, the bounds turned the way the interface stands. Read from any
// thread: image work in the background asks for the scale.
class UIScreen : public NSObject {
public:
    static std::shared_ptr<UIScreen> mainScreen();

    CGRect bounds() const;
    CGFloat scale() const;

    // For hosts and tests: the screen of the given device.
    void setProfile(const UIDeviceProfile& profile);
    // A host that turns its screen with the device sets the size the turn
    // gives (UIScreenRotation); the scale stays.
    void setBoundsSize(CGSize size);

    std::string_view className() const override { return "UIScreen"; }

protected:
    UIScreen() = default;

private:
    mutable std::mutex m_mutex;
    CGSize m_size{414, 736};
    CGFloat m_scale = 3;
};
