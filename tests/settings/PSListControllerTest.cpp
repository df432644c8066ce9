#include "platform/preferences/PSListController.h"

#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UINavigationItem.h"
#include "settings/ClockController.h"
#include "tests/settings/SettingsFixture.h"

#include <gtest/gtest.h>

namespace {

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";

std::string item(const std::string& cell, const std::string& label, const std::string& more = "") {
    return "<dict><key>cell</key><string>" + cell + "</string><key>label</key><string>" + label +
           "</string>" + more + "</dict>";
}

std::string preference(const std::string& key, const std::string& more = "") {
    return "<key>key</key><string>" + key +
           "</string><key>defaults</key><string>com.varlo.rotixsettings</string>" + more;
}

std::string pane(const std::string& items) {
    return kHeader + "<dict><key>title</key><string>Sample</string><key>items</key><array>" +
           items + "</array></dict></plist>";
}

class PSListControllerTest : public SettingsTest {
protected:
    std::shared_ptr<PSListController> load(const std::string& plist) {
        writeBundleFile("Sample.plist", plist);
        auto list = PSListController::create();
        list->setResourceBundle(NSBundle::bundleWithPath("/Library/PreferenceBundles/"
                                                         "RotixSettings.bundle"));
        list->setSpecifiers(list->loadSpecifiersFromPlistName("Sample", list));
        list->view();
        return list;
    }

    std::shared_ptr<PSListController> loadSamplePane() {
        return load(
            pane(item("PSGroupCell", "Title", "<key>footerText</key><string>Explains.</string>") +
                 item("PSSwitchCell", "Hide", preference("titleh", "<key>default</key><false/>")) +
                 item("PSEditTextCell", "Colour",
                      preference("titleColor", "<key>default</key><string>#FFFFFF</string>"
                                               "<key>validation</key><string>hexColor</string>"
                                               "<key>PostNotification</key><string>sample/changed"
                                               "</string>")) +
                 item("PSSliderCell", "Size",
                      preference("titlefontv", "<key>default</key><real>25</real>"
                                               "<key>min</key><real>8</real><key>max</key>"
                                               "<real>40</real>")) +
                 item("PSButtonCell", "Go", "<key>action</key><string>reload</string>")));
    }
};

TEST_F(PSListControllerTest, RowsComeFromThePlistWithThePaneAsTarget) {
    auto list = loadSamplePane();
    auto rows = list->specifiers();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0]->cellType(), PSCellType::Group);
    EXPECT_EQ(rows[0]->footerText(), "Explains.");
    EXPECT_EQ(rows[1]->cellType(), PSCellType::Switch);
    EXPECT_EQ(rows[2]->key(), "titleColor");
    EXPECT_EQ(rows[2]->defaults(), kMainDomain);
    EXPECT_EQ(rows[4]->target(), list);
    EXPECT_EQ(list->navigationItem()->title(), "Sample");
    EXPECT_EQ(countLog("Preferences"), 0);
}

TEST_F(PSListControllerTest, AMissingOrBrokenPlistIsAnEmptyPaneAndOneLogLine) {
    struct Case {
        const char* name;
        std::string text;
    };
    std::string deep = kHeader + "<dict><key>items</key>";
    for (int i = 0; i < 60; ++i)
        deep += "<array>";
    for (int i = 0; i < 60; ++i)
        deep += "</array>";
    deep += "</dict></plist>";
    const Case cases[] = {
        {"malformed", kHeader + "<dict><key>items</key><array><dict>"},
        {"binary junk", "bplist00\x01\x02\x03"},
        {"no items", kHeader + "<dict><key>title</key><string>T</string></dict></plist>"},
        {"items not a list", kHeader + "<dict><key>items</key><string>x</string></dict></plist>"},
        {"not a dictionary", kHeader + "<array/></plist>"},
        {"too deep", deep},
        {"too large", pane(std::string(2 << 20, ' '))},
    };
    for (const auto& plist : cases) {
        SystemLog::shared().clear();
        auto list = load(plist.text);
        EXPECT_TRUE(list->specifiers().empty()) << plist.name;
        EXPECT_EQ(countLog("showing an empty pane"), 1) << plist.name;
        EXPECT_GT(list->contentHeight(), 0) << plist.name;
    }
    SystemLog::shared().clear();
    auto missing = PSListController::create();
    missing->setResourceBundle(
        NSBundle::bundleWithPath("/Library/PreferenceBundles/RotixSettings.bundle"));
    EXPECT_TRUE(missing->loadSpecifiersFromPlistName("Nowhere", missing).empty());
    EXPECT_EQ(countLog("Nowhere.plist: missing; showing an empty pane"), 1);
    auto unbundled = PSListController::create();
    EXPECT_TRUE(unbundled->loadSpecifiersFromPlistName("Sample", unbundled).empty());
}

TEST_F(PSListControllerTest, UnusableItemsAreLeftOutWithOneLineForAll) {
    auto list = load(pane("<string>loose</string>" + item("PSWobbleCell", "Odd") +
                          "<dict><key>label</key><string>No kind</string></dict>" +
                          item("PSSwitchCell", "Kept", preference("hide"))));
    ASSERT_EQ(list->specifiers().size(), 1u);
    EXPECT_EQ(list->specifiers()[0]->name(), "Kept");
    EXPECT_EQ(countLog("3 item(s) left out, the first for an item that is not a dictionary"), 1);
}

TEST_F(PSListControllerTest, CellsShowStoredValuesElseTheirDefaults) {
    writeExternally("titleColor", CFPropertyList("#00FF00"));
    auto list = loadSamplePane();
    auto colour = list->cellForSpecifier(list->specifierForKey("titleColor"));
    auto size = list->cellForSpecifier(list->specifierForKey("titlefontv"));
    auto hide = list->cellForSpecifier(list->specifierForKey("titleh"));
    ASSERT_TRUE(colour && size && hide);
    EXPECT_EQ(colour->valueText(), "#00FF00");
    EXPECT_TRUE(colour->storedValue().has_value());
    EXPECT_EQ(size->valueText(), "25");
    EXPECT_FALSE(size->storedValue().has_value());
    EXPECT_FALSE(hide->isOn());
}

TEST_F(PSListControllerTest, ACellKeepsItsValueUntilTheCacheIsCleared) {
    auto list = loadSamplePane();
    auto specifier = list->specifierForKey("titleColor");
    auto before = list->cellForSpecifier(specifier);
    writeExternally("titleColor", CFPropertyList("#123456"));
    list->reload();
    EXPECT_EQ(list->cellForSpecifier(specifier), before);
    EXPECT_EQ(list->cellForSpecifier(specifier)->valueText(), "#FFFFFF");
    list->clearCache();
    EXPECT_EQ(list->cellForSpecifier(specifier), nullptr);
    list->reload();
    EXPECT_NE(list->cellForSpecifier(specifier), before);
    EXPECT_EQ(list->cellForSpecifier(specifier)->valueText(), "#123456");
}

TEST_F(PSListControllerTest, AnAcceptedValueIsWrittenToTheFileAndPosted) {
    static int posts = 0;
    posts = 0;
    int observer = 0;
    CFNotificationCenterAddObserver(
        CFNotificationCenterGetDistributedCenter(), &observer,
        [](CFNotificationCenterRef, void*, const std::string&, const void*, const CFDictionary*) {
            ++posts;
        },
        "sample/changed", nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
    auto list = loadSamplePane();
    auto colour = list->specifierForKey("titleColor");
    EXPECT_EQ(list->enterValue(colour, "#ff8000"), std::nullopt);
    EXPECT_EQ(storedOnDisk("titleColor"), CFPropertyList("#FF8000"));
    EXPECT_EQ(list->cellForSpecifier(colour)->valueText(), "#FF8000");
    run(0.1);
    EXPECT_EQ(posts, 1);
    // A row without a notification writes quietly.
    EXPECT_EQ(list->enterValue(list->specifierForKey("titleh"), "on"), std::nullopt);
    EXPECT_EQ(storedOnDisk("titleh"), CFPropertyList(true));
    run(0.1);
    EXPECT_EQ(posts, 1);
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDistributedCenter(), &observer);
}

TEST_F(PSListControllerTest, ARefusedColourIsNotWrittenAndTheRowSaysWhy) {
    writeExternally("titleColor", CFPropertyList("#00FF00"));
    auto list = loadSamplePane();
    auto colour = list->specifierForKey("titleColor");
    auto refusal = list->enterValue(colour, "orange");
    ASSERT_TRUE(refusal);
    EXPECT_EQ(storedOnDisk("titleColor"), CFPropertyList("#00FF00"));
    auto cell = list->cellForSpecifier(colour);
    EXPECT_EQ(cell->message(), *refusal);
    EXPECT_EQ(cell->valueText(), "#00FF00");
    EXPECT_GT(cell->height(), PSTableCell::kRowHeight);
    // The next value it takes clears the message.
    EXPECT_EQ(list->enterValue(colour, "#000000"), std::nullopt);
    EXPECT_EQ(cell->message(), "");
    EXPECT_EQ(cell->height(), PSTableCell::kRowHeight);
}

TEST_F(PSListControllerTest, NumbersAreClampedBeforeTheyAreWritten) {
    auto list = loadSamplePane();
    EXPECT_EQ(list->enterValue(list->specifierForKey("titlefontv"), "200"), std::nullopt);
    EXPECT_EQ(storedOnDisk("titlefontv"), CFPropertyList(40.0));
}

TEST_F(PSListControllerTest, EmptyingAFieldRemovesTheKeyFromTheFile) {
    writeExternally("titleColor", CFPropertyList("#00FF00"));
    auto list = loadSamplePane();
    auto colour = list->specifierForKey("titleColor");
    EXPECT_EQ(list->enterValue(colour, ""), std::nullopt);
    EXPECT_EQ(storedOnDisk("titleColor"), std::nullopt);
    EXPECT_EQ(list->cellForSpecifier(colour)->valueText(), "#FFFFFF");
}

TEST_F(PSListControllerTest, SelectingASwitchFlipsIt) {
    auto list = loadSamplePane();
    auto hide = list->specifierForKey("titleh");
    EXPECT_TRUE(list->selectSpecifier(hide));
    EXPECT_EQ(storedOnDisk("titleh"), CFPropertyList(true));
    EXPECT_TRUE(list->selectSpecifier(hide));
    EXPECT_EQ(storedOnDisk("titleh"), CFPropertyList(false));
}

TEST_F(PSListControllerTest, AButtonSendsItsActionToItsTarget) {
    auto list = loadSamplePane();
    writeExternally("titleColor", CFPropertyList("#010203"));
    list->clearCache();
    // "Go" sends reload, which makes the cleared cells again from the store.
    EXPECT_TRUE(list->selectSpecifier(list->specifierNamed("Go")));
    EXPECT_EQ(list->cellForSpecifier(list->specifierForKey("titleColor"))->valueText(), "#010203");
    EXPECT_FALSE(list->selectSpecifier(list->specifiers()[0]));
}

TEST_F(PSListControllerTest, ALinkOpensThePaneItsClassNamesOnceAndKeepsIt) {
    auto root = PSRootController::create();
    auto list = load(pane(item("PSLinkCell", "Clock",
                               "<key>detail</key><string>ClockController"
                               "</string>") +
                          item("PSLinkCell", "Nowhere",
                               "<key>detail</key><string>NoSuchPane"
                               "</string>") +
                          item("PSLinkCell", "Not a pane",
                               "<key>detail</key><string>NSObject"
                               "</string>")));
    root->pushController(list);
    ASSERT_TRUE(list->selectSpecifier(list->specifierNamed("Clock")));
    auto clock = std::dynamic_pointer_cast<ClockController>(root->topController());
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->resourceBundle(), list->resourceBundle());
    EXPECT_EQ(clock->rootController(), root);
    root->popController();
    EXPECT_EQ(root->topController(), list);
    list->selectSpecifier(list->specifierNamed("Clock"));
    EXPECT_EQ(root->topController(), clock);
    root->popController();

    EXPECT_FALSE(list->selectSpecifier(list->specifierNamed("Nowhere")));
    EXPECT_EQ(countLog("leads to no class named NoSuchPane"), 1);
    EXPECT_FALSE(list->selectSpecifier(list->specifierNamed("Not a pane")));
    EXPECT_EQ(root->topController(), list);
}

TEST_F(PSListControllerTest, TheRootControllerCallsViewWillAppearOnPushAndPop) {
    class Counting : public PSListController {
    public:
        static std::shared_ptr<Counting> create() { return makeObject<Counting>(); }
        void viewWillAppear(bool animated) override {
            ++appearances;
            PSListController::viewWillAppear(animated);
        }
        int appearances = 0;
    };
    auto root = PSRootController::create();
    auto first = Counting::create();
    auto second = Counting::create();
    root->pushController(first);
    root->pushController(second);
    EXPECT_EQ(first->appearances, 1);
    EXPECT_EQ(second->appearances, 1);
    EXPECT_EQ(root->popController(), second);
    EXPECT_EQ(first->appearances, 2);
    // The last pane stays.
    EXPECT_EQ(root->popController(), nullptr);
    EXPECT_EQ(root->controllers().size(), 1u);
}

TEST_F(PSListControllerTest, AListRowOpensItsChoicesAndWritesThePickedOne) {
    auto root = PSRootController::create();
    auto list = load(pane(
        item("PSLinkListCell", "Thumb Size",
             preference("radius", "<key>default</key><integer>12</integer>"
                                  "<key>validValues</key><array><integer>8</integer><integer>12"
                                  "</integer></array><key>validTitles</key><array><string>Small"
                                  "</string><string>Large</string></array>"))));
    root->pushController(list);
    auto radius = list->specifierForKey("radius");
    EXPECT_EQ(list->cellForSpecifier(radius)->valueText(), "Large");
    ASSERT_TRUE(list->selectSpecifier(radius));
    auto choices = std::dynamic_pointer_cast<PSListController>(root->topController());
    ASSERT_NE(choices, list);
    ASSERT_EQ(choices->specifiers().size(), 3u);
    auto small = choices->specifierNamed("Small");
    auto large = choices->specifierNamed("Large");
    EXPECT_FALSE(choices->cellForSpecifier(small)->isChecked());
    EXPECT_TRUE(choices->cellForSpecifier(large)->isChecked());
    EXPECT_TRUE(choices->selectSpecifier(small));
    EXPECT_EQ(storedOnDisk("radius"), CFPropertyList(8));
    EXPECT_TRUE(choices->cellForSpecifier(small)->isChecked());
    EXPECT_FALSE(choices->cellForSpecifier(large)->isChecked());
    EXPECT_EQ(list->cellForSpecifier(radius)->valueText(), "Small");
}

} // namespace
