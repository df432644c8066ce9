#pragma once

#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/preferences/PSListController.h"

#include <memory>

class NSBundle;

// The bundle's root pane: links to the other panes, the "Respring" button
// that restarts the device's interface so the player takes up new values,
// the support mail and the offer to follow the maker. Its rows are read
// afresh each time it comes into view.
class RotixSettingsListController : public PSListController {
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

    static std::shared_ptr<RotixSettingsListController> create();
    static Class registerClass();

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override; // -specifiers
    void loadView() override;                                        // -loadView
    void viewWillAppear(bool animated) override;                     // -viewWillAppear:

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

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return "RotixSettingsListController"; }

protected:
    RotixSettingsListController();

private:
    std::shared_ptr<NSBundle> m_bundle;
};
