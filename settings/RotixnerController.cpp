#include "settings/RotixnerController.h"

#include "platform/uikit/UIApplication.h"

void RotixnerController::addOwnMethods(const Class& cls) {
    class_addMethod(cls, "seeker", &RotixnerController::seeker);
}

void RotixnerController::seeker() {
    UIApplication::sharedApplication()->openURL(std::string("cydia://package/") +
                                                kCompanionPackage);
}
