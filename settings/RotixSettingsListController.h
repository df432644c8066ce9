#pragma once

#include "platform/messageui/MFMailComposeViewController.h"
#include "settings/RotixSettingsPane.h"

// The bundle's root pane: links to the other panes, the "Respring" button
// that restarts the device's interface so the player takes up new values,
// the support mail and the offer to follow the maker. Its rows are read
// afresh each time it comes into view.
class RotixSettingsListController : public RotixSettingsPane<RotixSettingsListController> {
public:
    static constexpr long kFollowAlertTag = 1;
    static constexpr long kRespringAlertTag = 2;
    static constexpr const char* kRespringPath = "/usr/bin/killall";
    // WEXITED on the phone; a platform that refuses it leaves the wait
    // undone, and the respring works all the same.
    static constexpr int kRespringWaitOptions = 4;
    static constexpr const char* kMakerHandle = "varlo";
    static constexpr const char* kSupportAddress = "support@varlo.dev";
    static constexpr const char* kMailSubjectFormat = "Rotix (iOS 10) v1.0.3, %@";

    static constexpr const char* kClassName = "RotixSettingsListController";
    static constexpr const char* kPlistName = "RotixSettings";
    static constexpr ReloadOnAppear kReloadOnAppear = ReloadOnAppear::Yes;
    static void addOwnMethods(const Class& cls);

    // The Respring button goes in before the bundle opens.
    void loadView() override; // -loadView

    void confirmRespring(); // -confirmRespring
    // -alertView:clickedButtonAtIndex:
    void alertViewClickedButtonAtIndex(id alertView, long buttonIndex);
    void respring(); // -respring

    void email(); // -email
    // -mailComposeController:didFinishWithResult:error:
    void mailComposeControllerDidFinishWithResult(id controller, MFMailComposeResult result,
                                                  id error);
    void follow();      // -follow
    void openTwitter(); // -openTwitter

protected:
    RotixSettingsListController() = default;
};
