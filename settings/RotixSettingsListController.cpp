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

void RotixSettingsListController::addOwnMethods(const Class& cls) {
    using Self = RotixSettingsListController;
    class_addMethod(cls, "confirmRespring", &Self::confirmRespring);
    class_addMethod(cls, "alertView:clickedButtonAtIndex:", &Self::alertViewClickedButtonAtIndex);
    class_addMethod(cls, "respring", &Self::respring);
    class_addMethod(cls, "email", &Self::email);
    class_addMethod(cls, "mailComposeController:didFinishWithResult:error:",
                    &Self::mailComposeControllerDidFinishWithResult);
    class_addMethod(cls, "follow", &Self::follow);
    class_addMethod(cls, "openTwitter", &Self::openTwitter);
}

void RotixSettingsListController::loadView() {
    PSListController::loadView();
    navigationItem()->setRightBarButtonItem(UIBarButtonItem::create(
        "Respring", UIBarButtonItemStyle::Plain, self(), "confirmRespring"));
    openBundle();
}

void RotixSettingsListController::confirmRespring() {
    auto alert = UIAlertView::create("Respring", RotixLocalizedString(bundle(), "RESPRING"), self(),
                                     RotixLocalizedString(bundle(), "NO"),
                                     {RotixLocalizedString(bundle(), "YES")});
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
    TwitterProfile::showFollowAlert(self(), bundle(), kFollowAlertTag);
}

void RotixSettingsListController::openTwitter() {
    TwitterProfile::open(kMakerHandle);
}
