#include "settings/thanksController.h"

#include "platform/uikit/UIAlertView.h"
#include "settings/TwitterProfile.h"

void thanksController::addOwnMethods(const Class& cls) {
    using Self = thanksController;
    class_addMethod(cls, "pellam", &Self::pellam);
    class_addMethod(cls, "corvand", &Self::corvand);
    class_addMethod(cls, "dastrel", &Self::dastrel);
    class_addMethod(cls, "alertView:clickedButtonAtIndex:", &Self::alertViewClickedButtonAtIndex);
    class_addMethod(cls, "openReddit", &Self::openReddit);
    class_addMethod(cls, "followCorvand", &Self::followCorvand);
    class_addMethod(cls, "followDastrel", &Self::followDastrel);
}

void thanksController::pellam() {
    TwitterProfile::showFollowAlert(self(), bundle(), kPellamAlertTag);
}

void thanksController::corvand() {
    TwitterProfile::showFollowAlert(self(), bundle(), kCorvandAlertTag);
}

void thanksController::dastrel() {
    TwitterProfile::showFollowAlert(self(), bundle(), kDastrelAlertTag);
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
