#include "settings/RotixnerController.h"

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIApplication.h"
#include "settings/RotixSettingsBundle.h"

RotixnerController::RotixnerController() {
    registerClass();
}

std::shared_ptr<RotixnerController> RotixnerController::create() {
    return makeObject<RotixnerController>();
}

Class RotixnerController::registerClass() {
    static Class cls = [] {
        PSListController::registerClass();
        using Self = RotixnerController;
        Class registered = objc_registerClass("RotixnerController", "PSListController");
        class_addMethod(registered, "specifiers", &Self::specifiers);
        class_addMethod(registered, "loadView", &Self::loadView);
        class_addMethod(registered, "seeker", &Self::seeker);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return Self::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> RotixnerController::specifiers() {
    if (_specifiers.empty())
        _specifiers = loadSpecifiersFromPlistName("Rotixner", self());
    return _specifiers;
}

void RotixnerController::loadView() {
    PSListController::loadView();
    m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath);
}

void RotixnerController::seeker() {
    UIApplication::sharedApplication()->openURL(std::string("cydia://package/") +
                                                kCompanionPackage);
}
