#include "settings/ExtrasController.h"

#include "platform/foundation/NSBundle.h"
#include "settings/RotixSettingsBundle.h"

ExtrasController::ExtrasController() {
    registerClass();
}

std::shared_ptr<ExtrasController> ExtrasController::create() {
    return makeObject<ExtrasController>();
}

Class ExtrasController::registerClass() {
    static Class cls = [] {
        PSListController::registerClass();
        using Self = ExtrasController;
        Class registered = objc_registerClass("ExtrasController", "PSListController");
        class_addMethod(registered, "specifiers", &Self::specifiers);
        class_addMethod(registered, "loadView", &Self::loadView);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return Self::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> ExtrasController::specifiers() {
    if (_specifiers.empty())
        _specifiers = loadSpecifiersFromPlistName("Extras", self());
    return _specifiers;
}

void ExtrasController::loadView() {
    PSListController::loadView();
    m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath);
}
