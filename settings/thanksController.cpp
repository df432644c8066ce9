#include "settings/thanksController.h"

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIAlertView.h"
#include "settings/RotixSettingsBundle.h"
#include "settings/TwitterProfile.h"

thanksController::thanksController() {
    registerClass();
}

std::shared_ptr<thanksController> thanksController::create() {
    return makeObject<thanksController>();
}

Class thanksController::registerClass() {
    static Class cls = [] {
        PSListController::registerClass();
        using Self = thanksController;
        Class registered = objc_registerClass("thanksController", "PSListController");
        class_addMethod(registered, "specifiers", &Self::specifiers);
        class_addMethod(registered, "loadView", &Self::loadView);
        class_addMethod(registered, "pellam", &Self::pellam);
        class_addMethod(registered, "corvand", &Self::corvand);
        class_addMethod(registered, "dastrel", &Self::dastrel);
        class_addMethod(registered,
                        "alertView:clickedButtonAtIndex:", &Self::alertViewClickedButtonAtIndex);
        class_addMethod(registered, "openReddit", &Self::openReddit);
        class_addMethod(registered, "followCorvand", &Self::followCorvand);
        class_addMethod(registered, "followDastrel", &Self::followDastrel);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return Self::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> thanksController::specifiers() {
    if (_specifiers.empty())
        _specifiers = loadSpecifiersFromPlistName("Thanks", self());
    return _specifiers;
}

void thanksController::loadView() {
    PSListController::loadView();
    m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath);
}

void thanksController::pellam() {
    TwitterProfile::showFollowAlert(self(), m_bundle, kPellamAlertTag);
}

void thanksController::corvand() {
    TwitterProfile::showFollowAlert(self(), m_bundle, kCorvandAlertTag);
}

void thanksController::dastrel() {
    TwitterProfile::showFollowAlert(self(), m_bundle, kDastrelAlertTag);
}

void thanksController::alertViewClickedButtonAtIndex(id alertView, long buttonIndex) {
    auto alert = std::dynamic_pointer_cast<UIAlertView>(alertView);
    if (buttonIndex != 1 || !alert)
        return;
    switch (alert->tag()) {
    case kPellamAlertTag:
        openReddit();
        break;
    case kCorvandAlertTag:
        followCorvand();
        break;
    case kDastrelAlertTag:
        followDastrel();
        break;
    default:
        break;
    }
}

void thanksController::openReddit() {
    TwitterProfile::open(kPellamHandle);
}

void thanksController::followCorvand() {
    TwitterProfile::open(kCorvandHandle);
}

void thanksController::followDastrel() {
    TwitterProfile::open(kDastrelHandle);
}
