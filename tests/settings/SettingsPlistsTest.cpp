#include "platform/corefoundation/PropertyListFile.h"
#include "platform/foundation/StringsTable.h"
#include "platform/preferences/PSRowInput.h"
#include "platform/preferences/PSSpecifier.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

const std::filesystem::path kResources = ROTIX_SETTINGS_RESOURCES;
const char* const kPanes[] = {"RotixSettings", "Thanks",  "Extras", "Rotixner",
                              "Clock",         "Buttons", "Labels"};
constexpr const char* kMain = "com.varlo.rotixsettings";
constexpr const char* kSecond = "com.varlo.rotixsettings2";

struct Row {
    std::string pane;
    std::shared_ptr<PSSpecifier> specifier;
};

std::vector<Row> rowsOf(const std::string& pane) {
    std::vector<Row> rows;
    auto contents = PropertyListFile::read(kResources / (pane + ".plist"));
    EXPECT_EQ(contents.status, PropertyListFile::Status::Read) << pane;
    const CFDictionary* root = contents.value ? contents.value->dictionary() : nullptr;
    const CFPropertyList* items = CFDictionaryGetValue(root, "items");
    EXPECT_TRUE(items && items->array()) << pane;
    if (!items || !items->array())
        return rows;
    for (const auto& item : *items->array()) {
        std::string problem;
        auto specifier = PSSpecifier::fromPlistItem(item, &problem);
        EXPECT_NE(specifier, nullptr) << pane << ": " << problem;
        if (specifier)
            rows.push_back({pane, specifier});
    }
    return rows;
}

std::map<std::string, Row> rowsByKey() {
    std::map<std::string, Row> keyed;
    for (const char* pane : kPanes) {
        for (auto& row : rowsOf(pane)) {
            if (auto key = row.specifier->key()) {
                EXPECT_FALSE(keyed.count(*key)) << *key << " appears twice";
                keyed.emplace(*key, row);
            }
        }
    }
    return keyed;
}

const char* const kFlags[] = {"landscape",     "artistfont", "titlefont", "trackfont",
                              "dynamicColors", "hide",       "position",  "clockb",
                              "artistb",       "titleb",     "trackb",    "rotixnerb",
                              "trackh",        "artisth",    "titleh",    "clockh"};
const char* const kPositions[] = {"cy", "clocky", "artisty", "titley", "tracky", "rotixnery"};
const char* const kColours[] = {"artistColor", "clockColor", "titleColor", "trackColor"};

TEST(SettingsPlists, EveryPlayerSettingHasExactlyOneRowInItsDomain) {
    auto keyed = rowsByKey();
    // The table's keys and the one of the second domain: nothing more, nothing less.
    EXPECT_EQ(keyed.size(), 32u);
    for (const auto& [key, row] : keyed)
        EXPECT_EQ(row.specifier->defaults(), key == "artwork" ? kSecond : kMain) << key;
}

TEST(SettingsPlists, FlagsAreSwitchesOffByDefaultButSeeking) {
    auto keyed = rowsByKey();
    for (const char* key : kFlags) {
        ASSERT_TRUE(keyed.count(key)) << key;
        const auto& specifier = *keyed.at(key).specifier;
        EXPECT_EQ(specifier.cellType(), PSCellType::Switch) << key;
        ASSERT_NE(specifier.defaultValue(), nullptr) << key;
        EXPECT_EQ(*specifier.defaultValue(), CFPropertyList(false)) << key;
    }
    EXPECT_EQ(keyed.at("seeking").specifier->cellType(), PSCellType::Switch);
    EXPECT_EQ(*keyed.at("seeking").specifier->defaultValue(), CFPropertyList(true));
    EXPECT_EQ(keyed.at("artwork").specifier->cellType(), PSCellType::Switch);
    EXPECT_EQ(*keyed.at("artwork").specifier->defaultValue(), CFPropertyList(false));
}

TEST(SettingsPlists, FontSizesAreSlidersAtTheConstructionSizes) {
    auto keyed = rowsByKey();
    const std::pair<const char*, double> sizes[] = {
        {"artistfontv", 18}, {"titlefontv", 25}, {"trackfontv", 25}};
    for (const auto& [key, size] : sizes) {
        const auto& specifier = *keyed.at(key).specifier;
        EXPECT_EQ(specifier.cellType(), PSCellType::Slider) << key;
        EXPECT_EQ(*specifier.defaultValue(), CFPropertyList(size)) << key;
        auto [low, high] = PSRowInput::range(specifier);
        EXPECT_LE(low, 13) << key;
        EXPECT_GE(high, size) << key;
    }
}

TEST(SettingsPlists, PositionsAreNumberFieldsThatLeaveTheLayoutsOwnWhenEmpty) {
    auto keyed = rowsByKey();
    for (const char* key : kPositions) {
        const auto& specifier = *keyed.at(key).specifier;
        EXPECT_EQ(specifier.cellType(), PSCellType::EditText) << key;
        EXPECT_TRUE(PSRowInput::isNumeric(specifier)) << key;
        EXPECT_EQ(specifier.defaultValue(), nullptr) << key;
        EXPECT_EQ(PSRowInput::range(specifier), (std::pair<double, double>{0, 1366})) << key;
    }
}

TEST(SettingsPlists, ColoursAreCheckedTextWhiteByDefault) {
    auto keyed = rowsByKey();
    for (const char* key : kColours) {
        const auto& specifier = *keyed.at(key).specifier;
        EXPECT_EQ(specifier.cellType(), PSCellType::EditText) << key;
        EXPECT_TRUE(PSRowInput::isColor(specifier)) << key;
        EXPECT_EQ(*specifier.defaultValue(), CFPropertyList("#FFFFFF")) << key;
    }
}

TEST(SettingsPlists, TheThumbRadiusIsAChoiceOfWholePointsDefaultTwelve) {
    auto keyed = rowsByKey();
    const auto& radius = *keyed.at("radius").specifier;
    EXPECT_EQ(radius.cellType(), PSCellType::LinkList);
    EXPECT_EQ(*radius.defaultValue(), CFPropertyList(12));
    bool hasDefault = false;
    for (const auto& [value, title] : radius.choices()) {
        EXPECT_EQ(value.value().index(), CFPropertyList(12).value().index()) << title;
        hasDefault = hasDefault || value == CFPropertyList(12);
    }
    EXPECT_TRUE(hasDefault);
}

TEST(SettingsPlists, EachPaneGroupsItsRowsAndExplainsThem) {
    for (const char* pane : kPanes) {
        auto rows = rowsOf(pane);
        ASSERT_FALSE(rows.empty()) << pane;
        EXPECT_EQ(rows.front().specifier->cellType(), PSCellType::Group) << pane;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].specifier->cellType() != PSCellType::Group)
                continue;
            auto footer = rows[i].specifier->footerText();
            EXPECT_TRUE(footer && footer->size() > 20) << pane << " group " << i;
        }
    }
}

TEST(SettingsPlists, TheRootLeadsToEveryPaneByClassAndTheActionRowsExist) {
    std::map<std::string, std::string> links;
    std::map<std::string, std::vector<std::string>> actions;
    for (const char* pane : kPanes) {
        for (const auto& row : rowsOf(pane)) {
            if (row.specifier->cellType() == PSCellType::Link)
                links[*row.specifier->detail()] = pane;
            if (auto action = row.specifier->action())
                actions[pane].push_back(*action);
        }
    }
    for (const char* cls : {"thanksController", "ExtrasController", "RotixnerController",
                            "ClockController", "ButtonsController", "LabelsController"})
        EXPECT_EQ(links[cls], "RotixSettings") << cls;
    EXPECT_EQ(actions["RotixSettings"], (std::vector<std::string>{"email", "follow"}));
    EXPECT_EQ(actions["Rotixner"], (std::vector<std::string>{"seeker"}));
    EXPECT_EQ(actions["Thanks"], (std::vector<std::string>{"pellam", "corvand", "dastrel"}));
}

TEST(SettingsPlists, TheBundleNamesItsPrincipalClassAndExecutable) {
    auto info = PropertyListFile::read(kResources / "Info.plist");
    ASSERT_TRUE(info.value && info.value->dictionary());
    EXPECT_EQ(*CFDictionaryGetValue(info.value->dictionary(), "NSPrincipalClass"),
              CFPropertyList("RotixSettingsListController"));
    EXPECT_EQ(*CFDictionaryGetValue(info.value->dictionary(), "CFBundleExecutable"),
              CFPropertyList("RotixSettings"));
}

TEST(SettingsPlists, TheStringsTableHasEveryKeyAndOpenHasOnePlaceholder) {
    std::ifstream file(kResources / "en.lproj/Localizable.strings", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::string bytes = text.str();
    auto table = StringsTable::parse(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    ASSERT_TRUE(table);
    for (const char* key : {"RESPRING", "NO", "YES", "FOLLOW", "OPEN"})
        EXPECT_TRUE(table->count(key)) << key;
    const std::string& open = table->at("OPEN");
    size_t first = open.find("%@");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(open.find('%', first + 2), std::string::npos);
}

} // namespace
