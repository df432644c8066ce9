#include "settings/RotixSettingsListController.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSString.h"
#include "platform/posix/ProcessSpawn.h"
#include "platform/posix/Sysctl.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "settings/RotixSettingsBundle.h"
#include "settings/TwitterProfile.h"

#include <cstring>
#include <vector>

RotixSettingsListController::RotixSettingsListController() {
    registerClass();
}

std::shared_ptr<RotixSettingsListController> RotixSettingsListController::create() {
    return makeObject<RotixSettingsListController>();
}

Class RotixSettingsListController::registerClass() {
    static Class cls = [] {
        PSListController::registerClass();
        using Self = RotixSettingsListController;
        Class registered = objc_registerClass("RotixSettingsListController", "PSListController");
        class_addMethod(registered, "specifiers", &Self::specifiers);
        class_addMethod(registered, "loadView", &Self::loadView);
        class_addMethod(registered, "viewWillAppear:", &Self::viewWillAppear);
        class_addMethod(registered, "confirmRespring", &Self::confirmRespring);
        class_addMethod(registered,
                        "alertView:clickedButtonAtIndex:", &Self::alertViewClickedButtonAtIndex);
        class_addMethod(registered, "respring", &Self::respring);
        class_addMethod(registered, "email", &Self::email);
        class_addMethod(registered, "mailComposeController:didFinishWithResult:error:",
                        &Self::mailComposeControllerDidFinishWithResult);
        class_addMethod(registered, "follow", &Self::follow);
        class_addMethod(registered, "openTwitter", &Self::openTwitter);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return Self::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> RotixSettingsListController::specifiers() {
    if (_specifiers.empty())
        _specifiers = loadSpecifiersFromPlistName("RotixSettings", self());
    return _specifiers;
}

void RotixSettingsListController::loadView() {
    PSListController::loadView();
    navigationItem()->setRightBarButtonItem(UIBarButtonItem::create(
        "Respring", UIBarButtonItemStyle::Plain, self(), "confirmRespring"));
    m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath);
}

void RotixSettingsListController::viewWillAppear(bool animated) {
    clearCache();
    reload();
    PSListController::viewWillAppear(animated);
}

void RotixSettingsListController::confirmRespring() {
    auto alert = UIAlertView::create("Respring", RotixLocalizedString(m_bundle, "RESPRING"), self(),
                                     RotixLocalizedString(m_bundle, "NO"),
                                     {RotixLocalizedString(m_bundle, "YES")});
    alert->setTag(kRespringAlertTag);
    alert->show();
}

void RotixSettingsListController::alertViewClickedButtonAtIndex(id alertView, long buttonIndex) {
    auto alert = std::dynamic_pointer_cast<UIAlertView>(alertView);
    if (buttonIndex != 1 || !alert)
        return;
    if (alert->tag() == kFollowAlertTag)
        openTwitter();
    else if (alert->tag() == kRespringAlertTag)
        respring();
}

// Ending backboardd restarts the whole interface, the home screen with it,
// and the player then reads the stored values. The Settings app goes too.
void RotixSettingsListController::respring() {
    pid_t pid = 0;
    const char* arguments[] = {"killall", "backboardd", nullptr};
    ProcessSpawn::posix_spawn(&pid, kRespringPath, nullptr, nullptr,
                              const_cast<char* const*>(arguments), nullptr);
    int status = 0;
    ProcessSpawn::waitpid(pid, &status, kRespringWaitOptions);
}

void RotixSettingsListController::email() {
    size_t size = 0;
    sysctlbyname("hw.machine", nullptr, &size, nullptr, 0);
    std::vector<char> buffer(size);
    std::string machine;
    if (size > 0 && sysctlbyname("hw.machine", buffer.data(), &size, nullptr, 0) == 0)
        machine.assign(buffer.data(), strnlen(buffer.data(), size));

    auto composer = MFMailComposeViewController::create();
    composer->setMailComposeDelegate(self());
    if (!MFMailComposeViewController::canSendMail())
        return;
    composer->setToRecipients({kSupportAddress});
    composer->setSubject(stringWithFormat(kMailSubjectFormat, machine));
    composer->setMessageBody("", false);
    presentViewController(composer, true, nullptr);
}

void RotixSettingsListController::mailComposeControllerDidFinishWithResult(id, MFMailComposeResult,
                                                                           id) {
    dismissViewControllerAnimated(true, nullptr);
}

void RotixSettingsListController::follow() {
    TwitterProfile::showFollowAlert(self(), m_bundle, kFollowAlertTag);
}

void RotixSettingsListController::openTwitter() {
    TwitterProfile::open(kMakerHandle);
}
