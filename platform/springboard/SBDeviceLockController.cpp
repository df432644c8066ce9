#include "platform/springboard/SBDeviceLockController.h"

Class SBDeviceLockController::registerClass() {
    Class cls = objc_registerClass("SBDeviceLockController");
    class_addMethod<id>(object_getClass(cls), "sharedController",
                        [](const id&, const SEL&) -> id { return sharedController(); });
    class_addMethod<bool>(cls, "isPasscodeLocked", [](const id& self, const SEL&) {
        auto controller = std::dynamic_pointer_cast<SBDeviceLockController>(self);
        return controller && controller->isPasscodeLocked();
    });
    return cls;
}

std::shared_ptr<SBDeviceLockController> SBDeviceLockController::sharedController() {
    static std::shared_ptr<SBDeviceLockController> controller =
        makeObject<SBDeviceLockController>();
    return controller;
}
