#include "platform/preferences/PSRowInput.h"

#include "platform/preferences/PSSpecifier.h"

#include <gtest/gtest.h>

namespace {

using Action = PSRowInput::Outcome::Action;

std::shared_ptr<PSSpecifier> row(PSCellType type, CFDictionary properties) {
    properties.emplace("key", "k");
    properties.emplace("defaults", "com.varlo.rotixsettings");
    return PSSpecifier::create(type, "Row", std::move(properties));
}

std::shared_ptr<PSSpecifier> colorRow() {
    return row(PSCellType::EditText, {{"validation", "hexColor"}, {"default", "#FFFFFF"}});
}

std::shared_ptr<PSSpecifier> heightRow() {
    return row(PSCellType::EditText, {{"keyboard", "numbers"}, {"min", 0.0}, {"max", 1366.0}});
}

std::shared_ptr<PSSpecifier> radiusRow() {
    return row(PSCellType::LinkList,
               {{"validValues", CFArray{8, 12, 16}},
                {"validTitles", CFArray{"8 points", "12 points", "16 points"}},
                {"default", 12}});
}

TEST(PSRowInput, ASwitchWritesTheBooleanItself) {
    auto flag = row(PSCellType::Switch, {{"default", false}});
    for (const char* on : {"on", "ON", "true", "yes", "1", " on "}) {
        auto outcome = PSRowInput::interpret(*flag, on);
        ASSERT_EQ(outcome.action, Action::Write) << on;
        EXPECT_TRUE(outcome.value->isBooleanTrue()) << on;
    }
    for (const char* off : {"off", "false", "NO", "0"}) {
        auto outcome = PSRowInput::interpret(*flag, off);
        ASSERT_EQ(outcome.action, Action::Write) << off;
        EXPECT_TRUE(outcome.value->isBoolean());
        EXPECT_FALSE(outcome.value->boolValue());
    }
    EXPECT_EQ(PSRowInput::interpret(*flag, "maybe").action, Action::Refuse);
    EXPECT_EQ(PSRowInput::interpret(*flag, "").action, Action::Refuse);
}

TEST(PSRowInput, ASwitchShowsOnOnlyForTheBooleanTrueAsThePlayerCountsIt) {
    auto flag = row(PSCellType::Switch, {{"default", false}});
    EXPECT_FALSE(PSRowInput::switchIsOn(*flag, std::nullopt));
    EXPECT_TRUE(PSRowInput::switchIsOn(*flag, CFPropertyList(true)));
    EXPECT_FALSE(PSRowInput::switchIsOn(*flag, CFPropertyList(1)));
    EXPECT_FALSE(PSRowInput::switchIsOn(*flag, CFPropertyList("true")));
    // "seeking" is on while absent and off for anything but true.
    auto seeking = row(PSCellType::Switch, {{"default", true}});
    EXPECT_TRUE(PSRowInput::switchIsOn(*seeking, std::nullopt));
    EXPECT_FALSE(PSRowInput::switchIsOn(*seeking, CFPropertyList(false)));
    EXPECT_FALSE(PSRowInput::switchIsOn(*seeking, CFPropertyList(1)));
}

TEST(PSRowInput, AColourIsANumberSignAndSixHexadecimalDigits) {
    auto colour = colorRow();
    auto accepted = PSRowInput::interpret(*colour, "#ff8000");
    ASSERT_EQ(accepted.action, Action::Write);
    EXPECT_EQ(*accepted.value, CFPropertyList("#FF8000"));
    EXPECT_EQ(*PSRowInput::interpret(*colour, " #00aAfF ").value, CFPropertyList("#00AAFF"));
    for (const char* bad : {"FF8000", "#FF800", "#FF80000", "#GG8000", "##F8000", "#FF 800", "red",
                            "#", "0xFF8000", "#FF8000;"}) {
        auto refused = PSRowInput::interpret(*colour, bad);
        EXPECT_EQ(refused.action, Action::Refuse) << bad;
        EXPECT_FALSE(refused.value) << bad;
        EXPECT_NE(refused.message.find("six hexadecimal digits"), std::string::npos) << bad;
    }
}

TEST(PSRowInput, EmptyingAFieldRemovesTheKey) {
    EXPECT_EQ(PSRowInput::interpret(*colorRow(), "").action, Action::Remove);
    EXPECT_EQ(PSRowInput::interpret(*heightRow(), "  ").action, Action::Remove);
}

TEST(PSRowInput, NumbersAreClampedToTheRowsRange) {
    auto height = heightRow();
    EXPECT_EQ(*PSRowInput::interpret(*height, "300").value, CFPropertyList(300.0));
    EXPECT_EQ(*PSRowInput::interpret(*height, "-20").value, CFPropertyList(0.0));
    EXPECT_EQ(*PSRowInput::interpret(*height, "99999").value, CFPropertyList(1366.0));
    EXPECT_EQ(*PSRowInput::interpret(*height, "+12.5").value, CFPropertyList(12.5));
    EXPECT_TRUE(PSRowInput::interpret(*height, "1e3").value->isNumber());
    for (const char* bad : {"abc", "12px", "nan", "inf", "1e999", "--3", "0x10"})
        EXPECT_EQ(PSRowInput::interpret(*height, bad).action, Action::Refuse) << bad;

    auto size = row(PSCellType::Slider, {{"min", 8.0}, {"max", 40.0}, {"default", 25.0}});
    EXPECT_EQ(*PSRowInput::interpret(*size, "4").value, CFPropertyList(8.0));
    EXPECT_EQ(*PSRowInput::interpret(*size, "64").value, CFPropertyList(40.0));
    // A slider always has a value: there is nothing to empty.
    EXPECT_EQ(PSRowInput::interpret(*size, "").action, Action::Refuse);
    // A range given upside down is still a range.
    auto swapped = row(PSCellType::Slider, {{"min", 40.0}, {"max", 8.0}});
    EXPECT_EQ(*PSRowInput::interpret(*swapped, "100").value, CFPropertyList(40.0));
}

TEST(PSRowInput, ASliderWithoutARangeRunsFromZeroToOne) {
    auto plain = row(PSCellType::Slider, {});
    EXPECT_EQ(PSRowInput::range(*plain), (std::pair<double, double>{0.0, 1.0}));
    EXPECT_EQ(*PSRowInput::interpret(*plain, "7").value, CFPropertyList(1.0));
}

TEST(PSRowInput, AListTakesOneOfItsChoicesByTitleOrValue) {
    auto radius = radiusRow();
    auto byTitle = PSRowInput::interpret(*radius, "16 points");
    ASSERT_EQ(byTitle.action, Action::Write);
    EXPECT_EQ(*byTitle.value, CFPropertyList(16));
    auto byValue = PSRowInput::interpret(*radius, "8");
    ASSERT_EQ(byValue.action, Action::Write);
    // The plist's integer is written as an integer, as the player reads it.
    EXPECT_EQ(byValue.value->value().index(), CFPropertyList(8).value().index());
    auto refused = PSRowInput::interpret(*radius, "13");
    EXPECT_EQ(refused.action, Action::Refuse);
    EXPECT_NE(refused.message.find("8 points, 12 points, 16 points"), std::string::npos);
}

TEST(PSRowInput, RowsWithoutAKeyOrValueTakeNothing) {
    auto button = PSSpecifier::create(PSCellType::Button, "Email", {{"action", "email"}});
    EXPECT_EQ(PSRowInput::interpret(*button, "on").action, Action::Refuse);
    auto link = row(PSCellType::Link, {});
    EXPECT_EQ(PSRowInput::interpret(*link, "x").action, Action::Refuse);
    EXPECT_EQ(PSRowInput::interpret(*colorRow(), std::string(5000, '#')).action, Action::Refuse);
}

TEST(PSRowInput, TheShownTextFollowsTheKind) {
    EXPECT_EQ(PSRowInput::text(*radiusRow(), CFPropertyList(16)), "16 points");
    EXPECT_EQ(PSRowInput::text(*radiusRow(), CFPropertyList(16.0)), "16 points");
    EXPECT_EQ(PSRowInput::text(*radiusRow(), CFPropertyList(13)), "13");
    auto size = row(PSCellType::Slider, {{"min", 8.0}, {"max", 40.0}});
    EXPECT_EQ(PSRowInput::text(*size, CFPropertyList(25.0)), "25");
    EXPECT_EQ(PSRowInput::text(*size, CFPropertyList(12.5)), "12.5");
    EXPECT_EQ(PSRowInput::text(*size, CFPropertyList(900.0)), "40");
    EXPECT_EQ(PSRowInput::text(*heightRow(), std::nullopt), "");
    EXPECT_EQ(PSRowInput::text(*heightRow(), CFPropertyList(-0.0)), "0");
    EXPECT_EQ(PSRowInput::shownValue(*colorRow(), std::nullopt), CFPropertyList("#FFFFFF"));
    EXPECT_EQ(PSRowInput::shownValue(*colorRow(), CFPropertyList("#000000")),
              CFPropertyList("#000000"));
}

} // namespace
