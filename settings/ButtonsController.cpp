#include "settings/ButtonsController.h"

#include "platform/foundation/NSBundle.h"
#include "settings/RotixSettingsBundle.h"

ButtonsController::ButtonsController() {
    registerClass();
}

std::shared_ptr<ButtonsController> ButtonsController::create() {
    return makeObject<ButtonsController>();
}

Class ButtonsController::registerClass() {
    static Class cls = [] {
        PSListController::registerClass();
        using Self = ButtonsController;
        Class registered = objc_registerClass("ButtonsController", "PSListController");
        class_addMethod(registered, "specifiers", &Self::specifiers);
        class_addMethod(registered, "loadView", &Self::loadView);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return Self::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> ButtonsController::specifiers() {
    if (_specifiers.empty())
        _specifiers = loadSpecifiersFromPlistName("Buttons", self());
    return _specifiers;
}

void ButtonsController::loadView() {
    PSListController::loadView();
    m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath);
}
