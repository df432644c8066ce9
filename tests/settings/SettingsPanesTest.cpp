#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UINavigationItem.h"
#include "settings/RotixSettingsListController.h"
#include "settings/RotixnerController.h"
#include "tests/settings/SettingsFixture.h"

#include <gtest/gtest.h>

namespace {

class PanesTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        m_root = PSRootController::create();
        m_pane = RotixSettingsListController::create();
        m_pane->setResourceBundle(
            NSBundle::bundleWithPath("/Library/PreferenceBundles/RotixSettings.bundle"));
        m_root->pushController(m_pane);
    }

    std::shared_ptr<PSListController> open(const std::string& row) {
        auto specifier = m_pane->specifierNamed(row);
        EXPECT_NE(specifier, nullptr) << row;
        EXPECT_TRUE(m_pane->selectSpecifier(specifier)) << row;
        return std::dynamic_pointer_cast<PSListController>(m_root->topController());
    }

    std::string shown(const std::shared_ptr<PSListController>& pane, const std::string& key) {
        auto cell = pane->cellForSpecifier(pane->specifierForKey(key));
        return cell ? cell->valueText() : "(no cell)";
    }

    std::shared_ptr<PSRootController> m_root;
    std::shared_ptr<RotixSettingsListController> m_pane;
};

struct PaneCase {
    const char* row;
    const char* className;
    const char* key;
    CFPropertyList changed;
    const char* before;
    const char* after;
    bool reloads;
};

const PaneCase kPanes[] = {
    {"Clock", "ClockController", "clockColor", CFPropertyList("#112233"), "#FFFFFF", "#112233",
     true},
    {"Labels", "LabelsController", "titlefontv", CFPropertyList(30.0), "25", "30", true},
    {"Extras", "ExtrasController", "landscape", CFPropertyList(true), "off", "on", false},
    {"Buttons", "ButtonsController", "hide", CFPropertyList(true), "off", "on", false},
    {"Rotixner", "RotixnerController", "seeking", CFPropertyList(false), "on", "off", false},
};

TEST_F(PanesTest, ClockAndLabelsReadTheirRowsAgainOnReturnAndTheOthersKeepThem) {
    for (const auto& pane : kPanes) {
        auto first = open(pane.row);
        ASSERT_NE(first, nullptr) << pane.row;
        EXPECT_EQ(first->className(), pane.className);
        EXPECT_EQ(shown(first, pane.key), pane.before) << pane.row;
        m_root->popController();

        writeExternally(pane.key, pane.changed);
        auto again = open(pane.row);
        EXPECT_EQ(again, first) << pane.row;
        EXPECT_EQ(shown(again, pane.key), pane.reloads ? pane.after : pane.before) << pane.row;
        m_root->popController();
    }
}

TEST_F(PanesTest, EveryPaneTitlesItselfAndHasRows) {
    for (const auto& pane : kPanes) {
        auto shownPane = open(pane.row);
        ASSERT_NE(shownPane, nullptr);
        EXPECT_EQ(shownPane->navigationItem()->title(), pane.row);
        EXPECT_FALSE(shownPane->specifiers().empty()) << pane.row;
        m_root->popController();
    }
    auto credits = open("Credits");
    ASSERT_NE(credits, nullptr);
    EXPECT_EQ(credits->className(), "thanksController");
    EXPECT_EQ(countLog("Preferences"), 0);
}

TEST_F(PanesTest, SeekerOpensTheCompanionPackageInCydia) {
    auto disc = std::dynamic_pointer_cast<RotixnerController>(open("Rotixner"));
    ASSERT_NE(disc, nullptr);
    auto row = disc->specifierNamed("Get the Seek Companion");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->action(), "seeker");
    disc->selectSpecifier(row);
    EXPECT_EQ(openedURLs(), (std::vector<std::string>{"cydia://package/com.varlo.rotixseek"}));
}

TEST_F(PanesTest, AMalformedPanePlistShowsAnEmptyPaneWithOneLine) {
    writeBundleFile("Clock.plist", "<?xml version=\"1.0\"?><plist><dict><key>items</key><array>");
    auto clock = open("Clock");
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(clock->specifiers().empty());
    EXPECT_EQ(countLog("Clock.plist: not a property list; showing an empty pane"), 1);
    // Coming back to it does not try again and does not log again.
    m_root->popController();
    open("Clock");
    EXPECT_EQ(countLog("Clock.plist"), 1);
}

TEST_F(PanesTest, ChangesWriteTheDomainsThePlayerReads) {
    auto labels = open("Labels");
    EXPECT_EQ(labels->enterValue(labels->specifierForKey("titleColor"), "#FF8000"), std::nullopt);
    EXPECT_EQ(labels->enterValue(labels->specifierForKey("titleb"), "on"), std::nullopt);
    EXPECT_EQ(labels->enterValue(labels->specifierForKey("titley"), "300"), std::nullopt);
    EXPECT_EQ(storedOnDisk("titleColor"), CFPropertyList("#FF8000"));
    EXPECT_EQ(storedOnDisk("titleb"), CFPropertyList(true));
    EXPECT_EQ(storedOnDisk("titley"), CFPropertyList(300.0));
    m_root->popController();

    auto extras = open("Extras");
    EXPECT_EQ(extras->enterValue(extras->specifierForKey("artwork"), "on"), std::nullopt);
    EXPECT_EQ(storedOnDisk("artwork", kSecondDomain), CFPropertyList(true));
    EXPECT_EQ(storedOnDisk("artwork"), std::nullopt);
    m_root->popController();

    auto disc = open("Rotixner");
    EXPECT_EQ(disc->enterValue(disc->specifierForKey("radius"), "16 points"), std::nullopt);
    EXPECT_EQ(storedOnDisk("radius"), CFPropertyList(16));
    EXPECT_TRUE(disc->enterValue(disc->specifierForKey("radius"), "13"));
    EXPECT_EQ(storedOnDisk("radius"), CFPropertyList(16));
}

} // namespace
