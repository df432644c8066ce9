#include "platform/springboard/SBDeviceLockController.h"

Class SBDeviceLockController::registerClass() {
    Class cls = objc_registerClass("SBDeviceLockController");
    class_addMethod<id>(object_getClass(cls), "sharedController",
                        [](const id&, const SEL&) -> id { return sharedController(); });
    class_addMethod(cls, "isPasscodeLocked", &SBDeviceLockController::isPasscodeLocked);
    return cls;
}

std::shared_ptr<SBDeviceLockController> SBDeviceLockController::sharedController() {
    static std::shared_ptr<SBDeviceLockController> controller =
        makeObject<SBDeviceLockController>();
    return controller;
}
