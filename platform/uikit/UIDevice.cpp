#include "platform/uikit/UIDevice.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/objc/Runtime.h"

const std::string UIDeviceOrientationDidChangeNotification =
    "UIDeviceOrientationDidChangeNotification";

namespace {
Class deviceClass() {
    static Class cls = [] {
        Class registered = objc_registerClass("UIDevice");
        class_addMethod<long>(registered, "userInterfaceIdiom", [](const id& self, const SEL&) {
            auto device = std::dynamic_pointer_cast<UIDevice>(self);
            return device ? static_cast<long>(device->userInterfaceIdiom()) : 0L;
        });
        return registered;
    }();
    return cls;
}
} // namespace

UIDevice::UIDevice() : m_profile(UIDeviceProfile::iPhone7Plus()) {
    deviceClass();
}

std::shared_ptr<UIDevice> UIDevice::currentDevice() {
    static std::shared_ptr<UIDevice> device = makeObject<UIDevice>();
    return device;
}

void UIDevice::setProfile(const UIDeviceProfile& profile) {
    m_profile = profile;
}

void UIDevice::setOrientation(UIDeviceOrientation orientation) {
    m_orientation = orientation;
    if (isGeneratingDeviceOrientationNotifications())
        NSNotificationCenter::defaultCenter()->postNotificationName(
            UIDeviceOrientationDidChangeNotification, shared_from_this(), std::nullopt);
}

void UIDevice::setAnswersUserInterfaceIdiom(bool answers) {
    Class cls = deviceClass();
    if (answers) {
        class_addMethod<long>(cls, "userInterfaceIdiom", [](const id& self, const SEL&) {
            auto device = std::dynamic_pointer_cast<UIDevice>(self);
            return device ? static_cast<long>(device->userInterfaceIdiom()) : 0L;
        });
    } else {
        cls->setMethod("userInterfaceIdiom", nullptr);
    }
}
