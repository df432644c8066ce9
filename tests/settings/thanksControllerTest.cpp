#include "settings/thanksController.h"

#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UINavigationItem.h"
#include "tests/settings/SettingsFixture.h"

#include <gtest/gtest.h>

namespace {

class CreditsTest : public SettingsTest {
protected:
    std::shared_ptr<thanksController> showCredits() {
        m_root = PSRootController::create();
        auto pane = thanksController::create();
        pane->setResourceBundle(
            NSBundle::bundleWithPath("/Library/PreferenceBundles/RotixSettings.bundle"));
        m_root->pushController(pane);
        return pane;
    }

    std::shared_ptr<PSRootController> m_root;
};

struct Person {
    const char* row;
    long tag;
    const char* handle;
};

constexpr Person kPeople[] = {
    {"Pellam", 3, "Pellam"},
    {"Corvand", 4, "corvand"},
    {"Dastrel", 5, "dastrel"},
};

TEST_F(CreditsTest, EachNameShowsTheFollowAlertWithItsOwnTag) {
    install({"twitter"});
    auto pane = showCredits();
    EXPECT_EQ(pane->navigationItem()->title(), "Credits");
    for (const auto& person : kPeople) {
        auto row = pane->specifierNamed(person.row);
        ASSERT_NE(row, nullptr) << person.row;
        ASSERT_TRUE(pane->selectSpecifier(row));
        auto alert = UIAlertView::visibleAlert();
        ASSERT_NE(alert, nullptr) << person.row;
        EXPECT_EQ(alert->tag(), person.tag);
        EXPECT_EQ(alert->delegate(), pane);
        EXPECT_EQ(alert->title(), "Follow");
        EXPECT_EQ(alert->message(), "Open the profile in Twitter?");
        EXPECT_EQ(alert->buttonTitleAtIndex(0), "No");
        EXPECT_EQ(alert->buttonTitleAtIndex(1), "Yes");
        alert->clickButtonAtIndex(1);
        ASSERT_FALSE(openedURLs().empty());
        EXPECT_EQ(openedURLs().back(), std::string("twitter://user?screen_name=") + person.handle);
    }
    EXPECT_EQ(openedURLs().size(), 3u);
}

TEST_F(CreditsTest, EachProfileFollowsTheClientRule) {
    auto pane = showCredits();
    pane->dastrel();
    UIAlertView::visibleAlert()->clickButtonAtIndex(1);
    install({"tweetbot", "twitter"});
    pane->corvand();
    EXPECT_EQ(UIAlertView::visibleAlert()->message(), "Open the profile in Tweetbot?");
    UIAlertView::visibleAlert()->clickButtonAtIndex(1);
    EXPECT_EQ(openedURLs(),
              (std::vector<std::string>{"http://twitter.com/intent/follow?screen_name=dastrel",
                                        "tweetbot:///user_profile/corvand"}));
}

TEST_F(CreditsTest, NoInAnyFollowAlertOpensNothing) {
    install({"tweetbot"});
    auto pane = showCredits();
    pane->pellam();
    UIAlertView::visibleAlert()->clickButtonAtIndex(0);
    pane->corvand();
    UIAlertView::visibleAlert()->clickButtonAtIndex(0);
    pane->dastrel();
    UIAlertView::visibleAlert()->clickButtonAtIndex(0);
    EXPECT_TRUE(openedURLs().empty());
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
}

TEST_F(CreditsTest, OnlyButtonOneWithACreditsTagActs) {
    ProcessSpawn::redirect("/usr/bin/killall", "/bin/true");
    auto pane = showCredits();
    for (long tag : {0L, 1L, 2L, 6L, 3L, 4L, 5L}) {
        for (long index : {-1L, 0L, 2L}) {
            auto alert = UIAlertView::create("T", "M", nullptr, "NO", {"YES"});
            alert->setTag(tag);
            pane->alertViewClickedButtonAtIndex(alert, index);
        }
    }
    EXPECT_TRUE(openedURLs().empty());
    // The root pane's tags mean nothing here: no respring, no maker's profile.
    for (long tag : {1L, 2L}) {
        auto alert = UIAlertView::create("T", "M", nullptr, "NO", {"YES"});
        alert->setTag(tag);
        pane->alertViewClickedButtonAtIndex(alert, 1);
    }
    EXPECT_TRUE(openedURLs().empty());
    EXPECT_TRUE(ProcessSpawn::records().empty());
}

TEST_F(CreditsTest, TheCreditsPaneKeepsItsRows) {
    auto pane = showCredits();
    auto row = pane->specifierNamed("Pellam");
    auto cell = pane->cellForSpecifier(row);
    pane->viewWillAppear(true);
    EXPECT_EQ(pane->cellForSpecifier(row), cell);
}

} // namespace
