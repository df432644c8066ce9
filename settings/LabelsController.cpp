#include "settings/LabelsController.h"

#include "platform/foundation/NSBundle.h"
#include "settings/RotixSettingsBundle.h"

LabelsController::LabelsController() {
    registerClass();
}

std::shared_ptr<LabelsController> LabelsController::create() {
    return makeObject<LabelsController>();
}

Class LabelsController::registerClass() {
    static Class cls = [] {
        PSListController::registerClass();
        using Self = LabelsController;
        Class registered = objc_registerClass("LabelsController", "PSListController");
        class_addMethod(registered, "specifiers", &Self::specifiers);
        class_addMethod(registered, "loadView", &Self::loadView);
        class_addMethod(registered, "viewWillAppear:", &Self::viewWillAppear);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return Self::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> LabelsController::specifiers() {
    if (_specifiers.empty())
        _specifiers = loadSpecifiersFromPlistName("Labels", self());
    return _specifiers;
}

void LabelsController::loadView() {
    PSListController::loadView();
    m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath);
}

void LabelsController::viewWillAppear(bool animated) {
    clearCache();
    reload();
    PSListController::viewWillAppear(animated);
}
