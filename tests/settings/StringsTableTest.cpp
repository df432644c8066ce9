#include "platform/foundation/StringsTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::optional<StringsTable::Entries> parse(const std::string& text, std::string* error = nullptr) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    return StringsTable::parse(bytes, error);
}

std::vector<std::uint8_t> utf16(const std::u16string& text, bool bigEndian) {
    std::vector<std::uint8_t> bytes =
        bigEndian ? std::vector<std::uint8_t>{0xFE, 0xFF} : std::vector<std::uint8_t>{0xFF, 0xFE};
    for (char16_t unit : text) {
        std::uint8_t high = static_cast<std::uint8_t>(unit >> 8);
        std::uint8_t low = static_cast<std::uint8_t>(unit & 0xFF);
        if (bigEndian) {
            bytes.push_back(high);
            bytes.push_back(low);
        } else {
            bytes.push_back(low);
            bytes.push_back(high);
        }
    }
    return bytes;
}

TEST(StringsTable, ReadsPairsBetweenCommentsOfBothKinds) {
    auto table = parse("/* The alert.\n \"NOT\" = \"this\"; */\n"
                       "\"RESPRING\" = \"Respring now?\"; // trailing\n"
                       "  \"NO\"=\"No\";\"YES\" =\n\"Yes\" ;\n");
    ASSERT_TRUE(table);
    EXPECT_EQ(*table,
              (StringsTable::Entries{{"RESPRING", "Respring now?"}, {"NO", "No"}, {"YES", "Yes"}}));
}

TEST(StringsTable, DecodesEscapes) {
    auto table = parse(R"("A" = "line\nnext\ttab \"quoted\" back\\slash";)"
                       R"("B" = "caf\U00E9 \u00e9";)"
                       R"("C" = "\UD83D\UDE00";)"
                       R"("D" = "\101\0";)"
                       R"("E" = "lone \UD83D!";)");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->at("A"), "line\nnext\ttab \"quoted\" back\\slash");
    EXPECT_EQ(table->at("B"), "caf\xC3\xA9 \xC3\xA9");
    EXPECT_EQ(table->at("C"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(table->at("D"), std::string("A\0", 2));
    // A high surrogate without its partner is replaced, not a failure.
    EXPECT_EQ(table->at("E"), "lone \xEF\xBF\xBD!");
}

TEST(StringsTable, TakesUnquotedWordsAndKeysWithoutValues) {
    auto table = parse("OPEN = \"Open in %@?\";\nFOLLOW;\nversion = 1.0.3;");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->at("OPEN"), "Open in %@?");
    EXPECT_EQ(table->at("FOLLOW"), "FOLLOW");
    EXPECT_EQ(table->at("version"), "1.0.3");
}

TEST(StringsTable, TheLastOfRepeatedKeysWins) {
    auto table = parse("\"K\" = \"first\";\n\"K\" = \"second\";");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->at("K"), "second");
}

TEST(StringsTable, ReadsUtf16WithEitherByteOrderAndUtf8WithAMark) {
    std::u16string text = u"\"YES\" = \"Oui \u00e9\";";
    for (bool bigEndian : {false, true}) {
        auto table = StringsTable::parse(utf16(text, bigEndian));
        ASSERT_TRUE(table) << bigEndian;
        EXPECT_EQ(table->at("YES"), "Oui \xC3\xA9");
    }
    auto marked = parse("\xEF\xBB\xBF\"NO\" = \"Non\";");
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked->at("NO"), "Non");
}

TEST(StringsTable, RefusesABrokenTableWhole) {
    for (const char* text :
         {"\"A\" = \"a\"", "\"A\" = \"a\"; \"B\" = \"b", "/* open", "\"A\" = ;", "\"A\" \"a\";",
          "\"A\" = \"\\U12\";", "= \"a\";", "\"A\" = \"a\";;", "\"A\" = \"a\\"}) {
        std::string error;
        EXPECT_FALSE(parse(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(StringsTable, AnEmptyTableOrOneOfCommentsHasNoEntries) {
    EXPECT_EQ(parse(""), StringsTable::Entries{});
    EXPECT_EQ(parse("  // nothing\n/* here */\n"), StringsTable::Entries{});
}

TEST(StringsTable, ReadsACompiledTableAndSkipsWhatIsNotText) {
    auto table = parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<plist version=\"1.0\"><dict>"
                       "<key>YES</key><string>Yes</string>"
                       "<key>COUNT</key><integer>3</integer>"
                       "</dict></plist>");
    ASSERT_TRUE(table);
    EXPECT_EQ(*table, (StringsTable::Entries{{"YES", "Yes"}}));
    std::string error;
    EXPECT_FALSE(parse("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>", &error));
    EXPECT_EQ(error, "not a dictionary");
}

TEST(StringsTable, RefusesWhatIsTooLargeOrTooDeep) {
    std::string large = "\"K\" = \"" + std::string(StringsTable::kMaximumBytes, 'x') + "\";";
    std::string error;
    EXPECT_FALSE(parse(large, &error));
    EXPECT_EQ(error, "larger than 1 MiB");

    std::string deep = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>K</key>";
    for (int i = 0; i < 100; ++i)
        deep += "<array>";
    for (int i = 0; i < 100; ++i)
        deep += "</array>";
    deep += "</dict></plist>";
    EXPECT_FALSE(parse(deep, &error));
}

TEST(StringsTable, StopsAtTheEntryBound) {
    std::string text;
    for (size_t i = 0; i <= StringsTable::kMaximumEntries; ++i)
        text += "k" + std::to_string(i) + "=v;";
    std::string error;
    EXPECT_FALSE(parse(text, &error));
    EXPECT_NE(error.find("65536"), std::string::npos);
}

} // namespace
