#include "platform/springboard/SBLockScreenManager.h"

#include "platform/springboard/SBLockScreenViewController.h"

Class SBLockScreenManager::registerClass() {
    SBLockScreenViewController::registerClass();
    Class cls = objc_registerClass("SBLockScreenManager");
    class_addMethod<id>(object_getClass(cls), "sharedInstance",
                        [](const id&, const SEL&) -> id { return sharedInstance(); });
    class_addMethod<id>(cls, "lockScreenViewController",
                        &SBLockScreenManager::lockScreenViewController);
    return cls;
}

SBLockScreenManager::SBLockScreenManager() : m_controller(SBLockScreenViewController::create()) {}

std::shared_ptr<SBLockScreenManager> SBLockScreenManager::sharedInstance() {
    static std::shared_ptr<SBLockScreenManager> manager = makeObject<SBLockScreenManager>();
    return manager;
}
