#include "settings/RotixSettingsListController.h"

#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "tests/settings/SettingsFixture.h"

#include <gtest/gtest.h>

namespace {

class RootPaneTest : public SettingsTest {
protected:
    std::shared_ptr<RotixSettingsListController> showRoot() {
        m_root = PSRootController::create();
        auto pane = RotixSettingsListController::create();
        pane->setResourceBundle(NSBundle::bundleWithPath(kBundlePath));
        m_root->pushController(pane);
        return pane;
    }

    // An alert as the runtime hands it to the delegate.
    static std::shared_ptr<UIAlertView> alertWithTag(long tag) {
        auto alert = UIAlertView::create("T", "M", nullptr, "NO", {"YES"});
        alert->setTag(tag);
        return alert;
    }

    void redirectRespring() { ProcessSpawn::redirect("/usr/bin/killall", "/bin/true"); }

    static constexpr const char* kBundlePath = "/Library/PreferenceBundles/RotixSettings.bundle";
    std::shared_ptr<PSRootController> m_root;
};

TEST_F(RootPaneTest, TheBarCarriesARespringButtonThatAsksFirst) {
    auto pane = showRoot();
    auto item = pane->navigationItem()->rightBarButtonItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->title(), "Respring");
    EXPECT_EQ(item->style(), UIBarButtonItemStyle::Plain);
    EXPECT_EQ(item->target(), pane);
    EXPECT_EQ(item->action(), "confirmRespring");
    ASSERT_NE(pane->bundle(), nullptr);
    EXPECT_EQ(pane->bundle()->bundlePath(), kBundlePath);

    ASSERT_TRUE(m_root->pressRightBarButton());
    auto alert = UIAlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Respring");
    EXPECT_EQ(alert->message(), "Restart the lock screen now to apply your changes?");
    EXPECT_EQ(alert->numberOfButtons(), 2);
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "No");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Yes");
    EXPECT_EQ(alert->tag(), RotixSettingsListController::kRespringAlertTag);
    EXPECT_EQ(alert->delegate(), pane);
    EXPECT_TRUE(ProcessSpawn::records().empty());
}

TEST_F(RootPaneTest, WithoutAStringsTableTheRespringAlertShowsTheKeys) {
    removeStringsTable();
    auto pane = showRoot();
    pane->confirmRespring();
    auto alert = UIAlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Respring");
    EXPECT_EQ(alert->message(), "RESPRING");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "NO");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "YES");
}

TEST_F(RootPaneTest, NoDoesNothingAndYesSpawnsTheKillCommandExactlyOnce) {
    redirectRespring();
    auto pane = showRoot();
    pane->confirmRespring();
    UIAlertView::visibleAlert()->clickButtonAtIndex(0);
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
    EXPECT_TRUE(ProcessSpawn::records().empty());

    pane->confirmRespring();
    UIAlertView::visibleAlert()->clickButtonAtIndex(1);
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
    auto records = ProcessSpawn::records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].path, "/usr/bin/killall");
    EXPECT_EQ(records[0].program, "/bin/true");
    EXPECT_EQ(records[0].arguments, (std::vector<std::string>{"killall", "backboardd"}));
    EXPECT_EQ(records[0].result, 0);
    // The wait is made on the new process with option 4, whatever it answers.
    EXPECT_EQ(records[0].waitOptions, 4);
    ASSERT_TRUE(records[0].waitResult);
}

TEST_F(RootPaneTest, TheRespringRunsTheProgramWithItsArguments) {
    auto recorder = root() / "killall";
    std::ofstream(recorder) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"${0%/*}/killed.txt\"\n";
    std::filesystem::permissions(recorder, std::filesystem::perms::owner_all);
    ProcessSpawn::redirect("/usr/bin/killall", recorder.string());
    showRoot()->respring();
    auto records = ProcessSpawn::records();
    ASSERT_EQ(records.size(), 1u);
    ::waitpid(records[0].pid, nullptr, 0);
    std::ifstream file(root() / "killed.txt");
    std::string argument;
    std::getline(file, argument);
    EXPECT_EQ(argument, "backboardd");
}

TEST_F(RootPaneTest, ASpawnThatFailsLeavesEverythingAsItWas) {
    ProcessSpawn::redirect("/usr/bin/killall", (root() / "nothing-here").string());
    auto pane = showRoot();
    pane->respring();
    ASSERT_EQ(ProcessSpawn::records().size(), 1u);
    EXPECT_NE(ProcessSpawn::records()[0].result, 0);
    EXPECT_EQ(m_root->topController(), pane);
}

TEST_F(RootPaneTest, OnlyButtonOneActsWhateverTheTag) {
    redirectRespring();
    install({"tweetbot", "twitter"});
    auto pane = showRoot();
    for (long tag : {0L, 1L, 2L, 3L, 4L, 5L, 99L, -1L}) {
        for (long index : {-1L, 0L, 2L, 3L, 1000L})
            pane->alertViewClickedButtonAtIndex(alertWithTag(tag), index);
    }
    EXPECT_TRUE(ProcessSpawn::records().empty());
    EXPECT_TRUE(openedURLs().empty());
    // Index 1 acts only for the root pane's own tags.
    for (long tag : {0L, 3L, 4L, 5L, 99L})
        pane->alertViewClickedButtonAtIndex(alertWithTag(tag), 1);
    EXPECT_TRUE(ProcessSpawn::records().empty());
    EXPECT_TRUE(openedURLs().empty());
    pane->alertViewClickedButtonAtIndex(alertWithTag(1), 1);
    EXPECT_EQ(openedURLs(), (std::vector<std::string>{"tweetbot:///user_profile/varlo"}));
    pane->alertViewClickedButtonAtIndex(alertWithTag(2), 1);
    EXPECT_EQ(ProcessSpawn::records().size(), 1u);
    // Something that is not an alert has no tag to act on.
    pane->alertViewClickedButtonAtIndex(pane, 1);
    EXPECT_EQ(ProcessSpawn::records().size(), 1u);
}

TEST_F(RootPaneTest, TheRootPaneReadsItsRowsAgainEachTimeItAppears) {
    auto pane = showRoot();
    auto link = pane->specifierNamed("Labels");
    ASSERT_NE(link, nullptr);
    auto first = pane->cellForSpecifier(link);
    ASSERT_NE(first, nullptr);
    pane->selectSpecifier(link);
    m_root->popController();
    EXPECT_NE(pane->cellForSpecifier(link), first);
    // The specifiers themselves are read once for the pane's life.
    EXPECT_EQ(pane->specifierNamed("Labels"), link);
}

TEST_F(RootPaneTest, ThePlistIsReadOncePerPane) {
    auto pane = showRoot();
    auto count = pane->specifiers().size();
    writeBundleFile("RotixSettings.plist", "broken");
    pane->viewWillAppear(true);
    EXPECT_EQ(pane->specifiers().size(), count);
    EXPECT_EQ(countLog("RotixSettings.plist"), 0);
    // A new pane reads it again, and shows nothing of a broken one.
    auto fresh = RotixSettingsListController::create();
    fresh->setResourceBundle(NSBundle::bundleWithPath(kBundlePath));
    EXPECT_TRUE(fresh->specifiers().empty());
    EXPECT_EQ(countLog("RotixSettings.plist: not a property list; showing an empty pane"), 1);
}

TEST_F(RootPaneTest, TheSupportRowsCallTheirOperations) {
    redirectRespring();
    auto pane = showRoot();
    EXPECT_EQ(pane->specifierNamed("Email Support")->action(), "email");
    EXPECT_EQ(pane->specifierNamed("Follow @varlo")->action(), "follow");
    pane->selectSpecifier(pane->specifierNamed("Follow @varlo"));
    ASSERT_NE(UIAlertView::visibleAlert(), nullptr);
    EXPECT_EQ(UIAlertView::visibleAlert()->tag(), RotixSettingsListController::kFollowAlertTag);
}

class FollowTest : public RootPaneTest {};

TEST_F(FollowTest, TweetbotWinsOverTwitter) {
    install({"tweetbot", "twitter"});
    auto pane = showRoot();
    pane->follow();
    auto alert = UIAlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Follow");
    EXPECT_EQ(alert->message(), "Open the profile in Tweetbot?");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "No");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Yes");
    EXPECT_EQ(alert->tag(), 1);
    EXPECT_EQ(alert->delegate(), pane);
    alert->clickButtonAtIndex(1);
    EXPECT_EQ(openedURLs(), (std::vector<std::string>{"tweetbot:///user_profile/varlo"}));
}

TEST_F(FollowTest, TheTwitterAppComesNext) {
    install({"twitter"});
    auto pane = showRoot();
    pane->follow();
    EXPECT_EQ(UIAlertView::visibleAlert()->message(), "Open the profile in Twitter?");
    UIAlertView::visibleAlert()->clickButtonAtIndex(1);
    EXPECT_EQ(openedURLs(), (std::vector<std::string>{"twitter://user?screen_name=varlo"}));
}

TEST_F(FollowTest, NeitherClientOpensTheWebIntentWithTheHandle) {
    auto pane = showRoot();
    pane->follow();
    EXPECT_EQ(UIAlertView::visibleAlert()->message(), "Open the profile in Safari?");
    UIAlertView::visibleAlert()->clickButtonAtIndex(1);
    ASSERT_EQ(openedURLs().size(), 1u);
    EXPECT_EQ(openedURLs()[0], "http://twitter.com/intent/follow?screen_name=varlo");
}

TEST_F(FollowTest, NoOpensNothing) {
    install({"tweetbot"});
    auto pane = showRoot();
    pane->follow();
    UIAlertView::visibleAlert()->clickButtonAtIndex(0);
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
    EXPECT_TRUE(openedURLs().empty());
}

TEST_F(FollowTest, TheClientsAreAskedAgainWhenTheProfileOpens) {
    install({"twitter"});
    auto pane = showRoot();
    pane->follow();
    EXPECT_EQ(UIAlertView::visibleAlert()->message(), "Open the profile in Twitter?");
    install({"twitter", "tweetbot"});
    UIAlertView::visibleAlert()->clickButtonAtIndex(1);
    EXPECT_EQ(openedURLs(), (std::vector<std::string>{"tweetbot:///user_profile/varlo"}));
}

TEST_F(FollowTest, WithoutAStringsTableTheAlertShowsTheKeysAndNoClient) {
    removeStringsTable();
    install({"tweetbot"});
    auto pane = showRoot();
    pane->follow();
    auto alert = UIAlertView::visibleAlert();
    EXPECT_EQ(alert->title(), "FOLLOW");
    EXPECT_EQ(alert->message(), "OPEN");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "NO");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "YES");
}

class MailTest : public RootPaneTest {
protected:
    std::shared_ptr<MFMailComposeViewController> composer(RotixSettingsListController& pane) {
        return std::dynamic_pointer_cast<MFMailComposeViewController>(
            pane.presentedViewController());
    }
};

TEST_F(MailTest, TheSubjectEndsWithTheMachineAfterACommaAndABlank) {
    auto pane = showRoot();
    pane->email();
    auto mail = composer(*pane);
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->subject(), "Rotix (iOS 10) v1.0.3, iPhone9,2");
    EXPECT_EQ(mail->toRecipients(), (std::vector<std::string>{"support@varlo.dev"}));
    EXPECT_EQ(mail->messageBody(), "");
    EXPECT_FALSE(mail->isHTML());
    EXPECT_EQ(mail->mailComposeDelegate(), pane);
}

TEST_F(MailTest, TheMachineIsTheDevicesOwn) {
    setDevice(UIDeviceProfile::iPad());
    auto pane = showRoot();
    pane->email();
    ASSERT_NE(composer(*pane), nullptr);
    EXPECT_EQ(composer(*pane)->subject(), "Rotix (iOS 10) v1.0.3, iPad6,11");
}

TEST_F(MailTest, ADeviceThatCannotSendMailShowsNothing) {
    MFMailComposeViewController::setCanSendMail(false);
    auto pane = showRoot();
    pane->email();
    EXPECT_EQ(pane->presentedViewController(), nullptr);
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
}

TEST_F(MailTest, EveryResultDismissesTheComposer) {
    auto pane = showRoot();
    for (auto result : {MFMailComposeResultCancelled, MFMailComposeResultSaved,
                        MFMailComposeResultSent, MFMailComposeResultFailed}) {
        pane->email();
        auto mail = composer(*pane);
        ASSERT_NE(mail, nullptr) << result;
        mail->finishWithResult(result);
        EXPECT_EQ(pane->presentedViewController(), nullptr) << result;
        EXPECT_EQ(mail->result(), result);
    }
}

} // namespace
