#include "settings/RotixSettingsBundle.h"

#include "platform/foundation/NSBundle.h"
#include "settings/ButtonsController.h"
#include "settings/ClockController.h"
#include "settings/ExtrasController.h"
#include "settings/LabelsController.h"
#include "settings/RotixSettingsListController.h"
#include "settings/RotixnerController.h"
#include "settings/thanksController.h"

std::string RotixLocalizedString(const std::shared_ptr<NSBundle>& bundle, const std::string& key) {
    return bundle ? bundle->localizedStringForKey(key, "", "") : key;
}

void RotixSettingsRegisterClasses() {
    RotixSettingsListController::registerClass();
    thanksController::registerClass();
    ExtrasController::registerClass();
    RotixnerController::registerClass();
    ClockController::registerClass();
    ButtonsController::registerClass();
    LabelsController::registerClass();
}
