#pragma once

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIDeviceProfile.h"

#include <memory>
#include <string>

enum class UIDeviceOrientation : long {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6,
};

extern const std::string UIDeviceOrientationDidChangeNotification;

// The current device: its idiom and its physical orientation. Setting the
// orientation posts the orientation notification while notifications are
// being generated, as the motion hardware would.
class UIDevice : public NSObject {
public:
    static std::shared_ptr<UIDevice> currentDevice();

    UIUserInterfaceIdiom userInterfaceIdiom() const { return m_profile.idiom; }
    UIDeviceOrientation orientation() const { return m_orientation; }
    const std::string& machine() const { return m_profile.machine; }
    const UIDeviceProfile& profile() const { return m_profile; }

    void beginGeneratingDeviceOrientationNotifications() { ++m_generating; }
    void endGeneratingDeviceOrientationNotifications() {
        if (m_generating > 0)
            --m_generating;
    }
    bool isGeneratingDeviceOrientationNotifications() const { return m_generating > 0; }

    // For hosts and tests.
    void setProfile(const UIDeviceProfile& profile);
    void setOrientation(UIDeviceOrientation orientation);
    // Some system versions' devices do not answer userInterfaceIdiom.
    void setAnswersUserInterfaceIdiom(bool answers);

    std::string_view className() const override { return "UIDevice"; }

protected:
    UIDevice();

private:
    UIDeviceProfile m_profile;
    UIDeviceOrientation m_orientation = UIDeviceOrientation::Portrait;
    int m_generating = 0;
};
