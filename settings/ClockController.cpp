#include "settings/ClockController.h"

#include "platform/foundation/NSBundle.h"
#include "settings/RotixSettingsBundle.h"

ClockController::ClockController() {
    registerClass();
}

std::shared_ptr<ClockController> ClockController::create() {
    return makeObject<ClockController>();
}

Class ClockController::registerClass() {
    static Class cls = [] {
        PSListController::registerClass();
        using Self = ClockController;
        Class registered = objc_registerClass("ClockController", "PSListController");
        class_addMethod(registered, "specifiers", &Self::specifiers);
        class_addMethod(registered, "loadView", &Self::loadView);
        class_addMethod(registered, "viewWillAppear:", &Self::viewWillAppear);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return Self::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> ClockController::specifiers() {
    if (_specifiers.empty())
        _specifiers = loadSpecifiersFromPlistName("Clock", self());
    return _specifiers;
}

void ClockController::loadView() {
    PSListController::loadView();
    m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath);
}

void ClockController::viewWillAppear(bool animated) {
    clearCache();
    reload();
    PSListController::viewWillAppear(animated);
}
