#include "platform/corefoundation/CFPreferences.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/device/DeviceRoot.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/system/SystemLog.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;

const std::string kDomain = "com.varlo.rotixsettings";

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string xmlPlist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "\n</plist>\n";
}

// A dictionary holding "k", under which arrays nest so that the whole file
// has `containers` levels, the dictionary included.
std::string nestedXml(int containers) {
    std::string body = "<dict><key>k</key>";
    for (int i = 1; i < containers; ++i)
        body += "<array>";
    for (int i = 1; i < containers; ++i)
        body += "</array>";
    return xmlPlist(body + "</dict>");
}

// Assembles a binary list from encoded objects: header, objects, offset
// table (4-byte offsets) and trailer, with 4-byte references.
Bytes binaryPlist(const std::vector<Bytes>& objects, std::uint32_t top = 0) {
    Bytes out = bytesOf("bplist00");
    std::vector<std::uint32_t> offsets;
    for (const Bytes& object : objects) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), object.begin(), object.end());
    }
    auto putNumber = [&](std::uint64_t value, int width) {
        for (int i = width - 1; i >= 0; --i)
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    std::uint64_t table = out.size();
    for (std::uint32_t offset : offsets)
        putNumber(offset, 4);
    out.insert(out.end(), 6, 0);
    out.push_back(4);
    out.push_back(4);
    putNumber(objects.size(), 8);
    putNumber(top, 8);
    putNumber(table, 8);
    return out;
}

Bytes container(std::uint8_t kind, const std::vector<std::uint32_t>& references) {
    Bytes out;
    size_t count = kind == 0xD ? references.size() / 2 : references.size();
    if (count < 15) {
        out.push_back(static_cast<std::uint8_t>(kind << 4 | count));
    } else {
        out.push_back(static_cast<std::uint8_t>(kind << 4 | 0x0F));
        out.push_back(0x12);
        for (int i = 3; i >= 0; --i)
            out.push_back(static_cast<std::uint8_t>(count >> (8 * i)));
    }
    for (std::uint32_t reference : references) {
        for (int i = 3; i >= 0; --i)
            out.push_back(static_cast<std::uint8_t>(reference >> (8 * i)));
    }
    return out;
}

Bytes asciiString(const std::string& text) {
    Bytes out(1 + text.size());
    out[0] = static_cast<std::uint8_t>(0x50 | text.size());
    std::copy(text.begin(), text.end(), out.begin() + 1);
    return out;
}

// Object 0 is {"k": object 2}, object 1 the key, then the chain of arrays.
Bytes nestedBinary(int containers) {
    std::vector<Bytes> objects{container(0xD, {1, 2}), asciiString("k")};
    for (int i = 1; i < containers; ++i) {
        bool last = i + 1 == containers;
        std::uint32_t next = static_cast<std::uint32_t>(objects.size() + 1);
        objects.push_back(last ? container(0xA, {}) : container(0xA, {next}));
    }
    if (containers == 1)
        objects.push_back(asciiString("v"));
    return binaryPlist(objects);
}

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override {
        NSRunLoop::mainRunLoop().setClock(std::make_shared<ManualClock>());
        std::string pattern = (fs::temp_directory_path() / "rotix-preferences-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        DeviceRoot::set(m_root);
        CFPreferencesResetForTesting();
        SystemLog::shared().clear();
    }

    void TearDown() override {
        CFPreferencesResetForTesting();
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    fs::path folder() const { return m_root / "var/mobile/Library/Preferences"; }
    fs::path file(const std::string& domain = kDomain) const {
        return folder() / (domain + ".plist");
    }

    void writeFile(const Bytes& bytes, const std::string& domain = kDomain) {
        fs::create_directories(folder());
        std::ofstream out(file(domain), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    void writeFile(const std::string& text, const std::string& domain = kDomain) {
        writeFile(bytesOf(text), domain);
    }

    Bytes fileBytes(const std::string& domain = kDomain) const { return bytesAt(file(domain)); }
    static Bytes bytesAt(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        for (const auto& line : SystemLog::shared().lines()) {
            if (line.source == "CFPreferences")
                lines.push_back(line.text);
        }
        return lines;
    }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The whole promise for a file that cannot be used: the domain reads as
    // empty, one log line names the file, reading and synchronising again
    // neither logs nor touches it, and a written value first moves it aside.
    void expectIgnoredUntilWritten(const std::string& expectedProblem) {
        Bytes before = fileBytes();
        EXPECT_FALSE(CFPreferencesCopyAppValue("k", kDomain));
        EXPECT_FALSE(CFPreferencesCopyAppValue("seeking", kDomain));
        EXPECT_TRUE(CFPreferencesAppSynchronize(kDomain));
        EXPECT_TRUE(CFPreferencesAppSynchronize(kDomain));
        EXPECT_FALSE(CFPreferencesCopyAppValue("k", kDomain));

        std::vector<std::string> lines = logLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("/var/mobile/Library/Preferences/" + kDomain + ".plist"),
                  std::string::npos)
            << lines[0];
        EXPECT_NE(lines[0].find(expectedProblem), std::string::npos) << lines[0];
        EXPECT_EQ(fileBytes(), before);

        // Removing a key that is not there changes nothing, so nothing is written.
        CFPreferencesSetAppValue("absent", std::nullopt, kDomain);
        EXPECT_TRUE(CFPreferencesAppSynchronize(kDomain));
        EXPECT_EQ(fileBytes(), before);

        CFPreferencesSetAppValue("radius", CFPropertyList(20), kDomain);
        EXPECT_TRUE(CFPreferencesAppSynchronize(kDomain));
        CFPreferencesResetForTesting();
        auto radius = CFPreferencesCopyAppValue("radius", kDomain);
        ASSERT_TRUE(radius);
        EXPECT_EQ(radius->intValue(), 20);
        EXPECT_FALSE(CFPreferencesCopyAppValue("k", kDomain));

        std::vector<std::string> aside;
        for (const std::string& name : folderEntries()) {
            if (name.rfind(kDomain + ".plist.unreadable-", 0) == 0)
                aside.push_back(name);
        }
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(bytesAt(folder() / aside[0]), before);
        lines = logLines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_NE(lines[1].find("aside to /var/mobile/Library/Preferences/" + aside[0]),
                  std::string::npos)
            << lines[1];
    }

    fs::path m_root;
};

TEST_F(PreferencesTest, BooleanTrueNumberOneAndStringTrueStayDistinctThroughTheFile) {
    CFPreferencesSetAppValue("flag", CFPropertyList(true), kDomain);
    CFPreferencesSetAppValue("one", CFPropertyList(1), kDomain);
    CFPreferencesSetAppValue("realOne", CFPropertyList(1.0), kDomain);
    CFPreferencesSetAppValue("text", CFPropertyList("true"), kDomain);
    CFPreferencesSetAppValue("off", CFPropertyList(false), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();

    auto flag = CFPreferencesCopyAppValue("flag", kDomain);
    auto one = CFPreferencesCopyAppValue("one", kDomain);
    auto realOne = CFPreferencesCopyAppValue("realOne", kDomain);
    auto text = CFPreferencesCopyAppValue("text", kDomain);
    auto off = CFPreferencesCopyAppValue("off", kDomain);
    ASSERT_TRUE(flag && one && realOne && text && off);
    EXPECT_TRUE(flag->isBooleanTrue());
    EXPECT_TRUE(one->isNumber());
    EXPECT_FALSE(one->isBooleanTrue());
    EXPECT_EQ(one->intValue(), 1);
    EXPECT_TRUE(std::holds_alternative<double>(realOne->value()));
    EXPECT_FALSE(realOne->isBooleanTrue());
    EXPECT_TRUE(text->isString());
    EXPECT_FALSE(text->isBooleanTrue());
    EXPECT_TRUE(off->isBoolean());
    EXPECT_FALSE(off->isBooleanTrue());
}

TEST_F(PreferencesTest, EveryKindRoundTripsExactly) {
    CFDictionary nested{{"inner", CFPropertyList(CFArray{CFPropertyList(true), CFPropertyList(-7),
                                                         CFPropertyList("x")})}};
    std::map<std::string, CFPropertyList> values{
        {"negative", CFPropertyList(std::int64_t{-123456789012})},
        {"largest", CFPropertyList(std::numeric_limits<std::int64_t>::max())},
        {"smallest", CFPropertyList(std::numeric_limits<std::int64_t>::min())},
        {"tenth", CFPropertyList(0.1)},
        {"tiny", CFPropertyList(-4.9e-324)},
        {"text", CFPropertyList("#FF8800 \xE2\x99\xAB \xC3\x9C")},
        {"empty", CFPropertyList("")},
        {"data", CFPropertyList::data({0, 1, 0, 255, 128})},
        {"date", CFPropertyList(CFDate{536457600})},
        {"dateBefore2001", CFPropertyList(CFDate{-86400.5})},
        {"nested", CFPropertyList(nested)},
        {"emptyArray", CFPropertyList(CFArray{})},
    };
    for (const auto& [key, value] : values)
        CFPreferencesSetAppValue(key, value, kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();

    for (const auto& [key, value] : values) {
        auto read = CFPreferencesCopyAppValue(key, kDomain);
        ASSERT_TRUE(read) << key;
        EXPECT_EQ(*read, value) << key;
    }
}

TEST_F(PreferencesTest, ReadsXmlWrittenByAnotherProgram) {
    writeFile(xmlPlist("<!-- written by hand -->\n"
                       "<dict>\n"
                       "  <key>landscape</key><true/>\n"
                       "  <key>hide</key><integer>1</integer>\n"
                       "  <key>seeking</key><string>true</string>\n"
                       "  <key>cy</key><real>412.5</real>\n"
                       "  <key>trackh</key><false/>\n"
                       "  <key>titleColor</key><string>#00FF7f</string>\n"
                       "  <key>empty</key><dict/>\n"
                       "</dict>"));

    EXPECT_TRUE(CFPreferencesCopyAppValue("landscape", kDomain)->isBooleanTrue());
    auto hide = CFPreferencesCopyAppValue("hide", kDomain);
    EXPECT_TRUE(hide->isNumber());
    EXPECT_FALSE(hide->isBooleanTrue());
    auto seeking = CFPreferencesCopyAppValue("seeking", kDomain);
    EXPECT_TRUE(seeking->isString());
    EXPECT_FALSE(seeking->isBooleanTrue());
    EXPECT_FLOAT_EQ(CFPreferencesCopyAppValue("cy", kDomain)->floatValue(), 412.5f);
    EXPECT_TRUE(CFPreferencesCopyAppValue("trackh", kDomain)->isBoolean());
    EXPECT_EQ(*CFPreferencesCopyAppValue("titleColor", kDomain)->string(), "#00FF7f");
    EXPECT_TRUE(CFPreferencesCopyAppValue("empty", kDomain)->isDictionary());
    EXPECT_FALSE(CFPreferencesCopyAppValue("radius", kDomain));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PreferencesTest, TextThatIsNotUtf8IsReadRepairedAndWrittenBackAsRead) {
    // Latin-1 bytes where UTF-8 belongs, in a key and in a value.
    writeFile(xmlPlist("<dict>\n"
                       "  <key>caf\xE9</key><string>r\xE9sum\xE9 #FF8000</string>\n"
                       "</dict>"));
    const std::string key = "caf\xEF\xBF\xBD";
    auto read = CFPreferencesCopyAppValue(key, kDomain);
    ASSERT_TRUE(read && read->string());
    EXPECT_EQ(*read->string(), "r\xEF\xBF\xBDsum\xEF\xBF\xBD #FF8000");

    // Another key's change writes the whole domain back.
    CFPreferencesSetAppValue("radius", CFPropertyList(16), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();
    auto again = CFPreferencesCopyAppValue(key, kDomain);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *read);
}

TEST_F(PreferencesTest, TextEndsAtANulCharacterAsItWillBeWrittenBack) {
    writeFile(xmlPlist(std::string("<dict><key>k</key><string>ab\0cd</string></dict>", 47)));
    auto read = CFPreferencesCopyAppValue("k", kDomain);
    ASSERT_TRUE(read && read->string());
    EXPECT_EQ(*read->string(), "ab");

    CFPreferencesSetAppValue("radius", CFPropertyList(16), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();
    EXPECT_EQ(CFPreferencesCopyAppValue("k", kDomain), read);
}

TEST_F(PreferencesTest, MissingDomainIsEmptyAndSynchronizingItWritesNothing) {
    EXPECT_FALSE(CFPreferencesCopyAppValue("radius", kDomain));
    EXPECT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PreferencesTest, SetValueIsSeenAtOnceAndReachesTheFileAtSynchronize) {
    CFPreferencesSetAppValue("radius", CFPropertyList(16), kDomain);
    EXPECT_EQ(CFPreferencesCopyAppValue("radius", kDomain)->intValue(), 16);
    EXPECT_FALSE(fs::exists(file()));

    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    auto contents = PropertyListFile::read(file());
    ASSERT_EQ(contents.status, PropertyListFile::Status::Read);
    EXPECT_EQ(contents.value->dictionary()->at("radius").intValue(), 16);
}

TEST_F(PreferencesTest, RemovingAKeyRemovesItFromTheFile) {
    CFPreferencesSetAppValue("a", CFPropertyList(1), kDomain);
    CFPreferencesSetAppValue("b", CFPropertyList(2), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));

    CFPreferencesSetAppValue("a", std::nullopt, kDomain);
    EXPECT_FALSE(CFPreferencesCopyAppValue("a", kDomain));
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();

    EXPECT_FALSE(CFPreferencesCopyAppValue("a", kDomain));
    EXPECT_EQ(CFPreferencesCopyAppValue("b", kDomain)->intValue(), 2);
}

TEST_F(PreferencesTest, DomainsAreSeparateFiles) {
    CFPreferencesSetAppValue("artwork", CFPropertyList(true), "com.varlo.rotixsettings2");
    CFPreferencesSetAppValue("radius", CFPropertyList(3), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize("com.varlo.rotixsettings2"));
    EXPECT_TRUE(fs::exists(file("com.varlo.rotixsettings2")));
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_FALSE(CFPreferencesCopyAppValue("artwork", kDomain));
}

TEST_F(PreferencesTest, DomainNamesThatCouldLeaveTheFolderAreRefused) {
    std::vector<std::string> domains{
        "",        "../../../escaped", "com/varlo", "..",
        ".hidden", "com..varlo",       "a\nb",      std::string("com\0x", 5)};
    for (const std::string& domain : domains) {
        CFPreferencesSetAppValue("k", CFPropertyList(true), domain);
        EXPECT_FALSE(CFPreferencesCopyAppValue("k", domain)) << domain;
        EXPECT_FALSE(CFPreferencesAppSynchronize(domain)) << domain;
    }
    EXPECT_FALSE(fs::exists(m_root / "escaped.plist"));
    EXPECT_FALSE(fs::exists(m_root.parent_path() / "escaped.plist"));
    EXPECT_FALSE(fs::exists(folder()));
}

TEST_F(PreferencesTest, WritesLeaveOnlyTheDomainFileBehind) {
    for (int i = 0; i < 20; ++i) {
        CFPreferencesSetAppValue("count", CFPropertyList(i), kDomain);
        ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    }
    EXPECT_EQ(folderEntries(),
              (std::vector<std::string>{kDomain + ".plist", kDomain + ".plist.lock"}));
    CFPreferencesResetForTesting();
    EXPECT_EQ(CFPreferencesCopyAppValue("count", kDomain)->intValue(), 19);
}

TEST_F(PreferencesTest, AReaderNeverSeesHalfAFile) {
    // Two versions of different sizes, so a torn write could not parse as either.
    const std::string small(64 * 1024, 'a');
    const std::string large(192 * 1024, 'b');
    constexpr int kWrites = 60;
    std::atomic<bool> done = false;
    std::thread writer([&] {
        for (int i = 0; i < kWrites; ++i) {
            CFPreferencesSetAppValue("blob", CFPropertyList(i % 2 ? large : small), kDomain);
            CFPreferencesAppSynchronize(kDomain);
        }
        done = true;
    });
    int reads = 0;
    int torn = 0;
    while (!done || reads == 0) {
        auto contents = PropertyListFile::read(file());
        if (contents.status == PropertyListFile::Status::Missing)
            continue;
        ++reads;
        const CFPropertyList* blob =
            contents.value ? CFDictionaryGetValue(contents.value->dictionary(), "blob") : nullptr;
        if (!blob || !blob->string() || (*blob->string() != small && *blob->string() != large))
            ++torn;
        // The store itself is shared with the writer thread.
        CFPreferencesCopyAppValue("blob", kDomain);
    }
    writer.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(folderEntries(),
              (std::vector<std::string>{kDomain + ".plist", kDomain + ".plist.lock"}));
}

TEST_F(PreferencesTest, SynchronizeRereadsAFileAnotherProgramChanged) {
    CFPreferencesSetAppValue("radius", CFPropertyList(12), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));

    writeFile(xmlPlist("<dict><key>radius</key><integer>30</integer>"
                       "<key>hide</key><true/></dict>"));
    // Until the domain is synchronised the process keeps its view.
    EXPECT_EQ(CFPreferencesCopyAppValue("radius", kDomain)->intValue(), 12);
    EXPECT_FALSE(CFPreferencesCopyAppValue("hide", kDomain));

    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(CFPreferencesCopyAppValue("radius", kDomain)->intValue(), 30);
    EXPECT_TRUE(CFPreferencesCopyAppValue("hide", kDomain)->isBooleanTrue());
}

TEST_F(PreferencesTest, PendingValuesAreWrittenOverAnotherProgramsChanges) {
    CFPreferencesSetAppValue("radius", CFPropertyList(12), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesSetAppValue("hide", CFPropertyList(true), kDomain);
    writeFile(xmlPlist("<dict><key>radius</key><integer>30</integer>"
                       "<key>clockh</key><true/></dict>"));

    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();
    EXPECT_EQ(CFPreferencesCopyAppValue("radius", kDomain)->intValue(), 30);
    EXPECT_TRUE(CFPreferencesCopyAppValue("clockh", kDomain)->isBooleanTrue());
    EXPECT_TRUE(CFPreferencesCopyAppValue("hide", kDomain)->isBooleanTrue());
}

TEST_F(PreferencesTest, AFileRemovedByAnotherProgramEmptiesTheDomainAtSynchronize) {
    CFPreferencesSetAppValue("radius", CFPropertyList(12), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    fs::remove(file());
    EXPECT_TRUE(CFPreferencesCopyAppValue("radius", kDomain));
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_FALSE(CFPreferencesCopyAppValue("radius", kDomain));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PreferencesTest, AChangedBadFileIsReportedOnceForEachVersion) {
    writeFile(std::string("garbage"));
    EXPECT_FALSE(CFPreferencesCopyAppValue("k", kDomain));
    for (int i = 0; i < 5; ++i)
        CFPreferencesAppSynchronize(kDomain);
    EXPECT_EQ(logLines().size(), 1u);

    writeFile(std::string("other garbage"));
    for (int i = 0; i < 5; ++i)
        CFPreferencesAppSynchronize(kDomain);
    EXPECT_EQ(logLines().size(), 2u);

    writeFile(xmlPlist("<dict><key>k</key><true/></dict>"));
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_TRUE(CFPreferencesCopyAppValue("k", kDomain)->isBooleanTrue());
    EXPECT_EQ(logLines().size(), 2u);
}

TEST_F(PreferencesTest, AFileOfExactlyOneMebibyteIsRead) {
    std::string text = xmlPlist("<dict><key>k</key><true/></dict>");
    text.append(PropertyListFile::kMaximumBytes - text.size(), '\n');
    writeFile(text);
    EXPECT_TRUE(CFPreferencesCopyAppValue("k", kDomain)->isBooleanTrue());
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PreferencesTest, AFileOverOneMebibyteIsIgnored) {
    std::string text = xmlPlist("<dict><key>k</key><true/></dict>");
    text.append(PropertyListFile::kMaximumBytes + 1 - text.size(), '\n');
    writeFile(text);
    expectIgnoredUntilWritten("larger than 1 MiB");
}

TEST_F(PreferencesTest, XmlNestedThirtyTwoLevelsIsRead) {
    writeFile(nestedXml(32));
    auto value = CFPreferencesCopyAppValue("k", kDomain);
    ASSERT_TRUE(value);
    EXPECT_TRUE(value->isArray());
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PreferencesTest, XmlNestedThirtyThreeLevelsIsIgnored) {
    writeFile(nestedXml(33));
    expectIgnoredUntilWritten("nested deeper than 32 levels");
}

TEST_F(PreferencesTest, XmlNestedFiftyThousandLevelsIsIgnored) {
    writeFile(nestedXml(50000));
    expectIgnoredUntilWritten("nested deeper than 32 levels");
}

TEST_F(PreferencesTest, XmlThatHidesNestingBehindMismatchedEndTagsIsIgnored) {
    std::string body = "<dict><key>k</key>";
    for (int i = 0; i < 40; ++i)
        body += "<array></x>";
    writeFile(xmlPlist(body + "</dict>"));
    expectIgnoredUntilWritten("not a property list");
}

TEST_F(PreferencesTest, NestingInsideCommentsAndCharacterDataDoesNotCount) {
    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += "<array>";
    writeFile(xmlPlist("<!--" + deep + "--><dict><key>k</key><string><![CDATA[" + deep +
                       "]]></string></dict>"));
    auto value = CFPreferencesCopyAppValue("k", kDomain);
    ASSERT_TRUE(value);
    EXPECT_EQ(*value->string(), deep);
}

TEST_F(PreferencesTest, BinaryNestedThirtyTwoLevelsIsRead) {
    writeFile(nestedBinary(32));
    auto value = CFPreferencesCopyAppValue("k", kDomain);
    ASSERT_TRUE(value);
    EXPECT_TRUE(value->isArray());
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PreferencesTest, BinaryNestedThirtyThreeLevelsIsIgnored) {
    writeFile(nestedBinary(33));
    expectIgnoredUntilWritten("nested deeper than 32 levels");
}

TEST_F(PreferencesTest, BinaryNestedAHundredThousandLevelsIsIgnored) {
    writeFile(nestedBinary(100000));
    expectIgnoredUntilWritten("nested deeper than 32 levels");
}

TEST_F(PreferencesTest, BinaryArrayThatHoldsItselfIsIgnored) {
    writeFile(binaryPlist({container(0xD, {1, 2}), asciiString("k"), container(0xA, {2})}));
    expectIgnoredUntilWritten("nested deeper than 32 levels");
}

TEST_F(PreferencesTest, BinarySharedObjectsThatWouldMultiplyAreIgnored) {
    // Thirty arrays, each holding the next one twice: a few hundred bytes
    // that would expand into a billion objects.
    std::vector<Bytes> objects{container(0xD, {1, 2}), asciiString("k")};
    for (std::uint32_t i = 2; i < 32; ++i)
        objects.push_back(container(0xA, {i + 1, i + 1}));
    objects.push_back(asciiString("leaf"));
    writeFile(binaryPlist(objects));
    expectIgnoredUntilWritten("too many objects");
}

TEST_F(PreferencesTest, TruncatedBinaryIsIgnored) {
    Bytes bytes = nestedBinary(3);
    bytes.resize(bytes.size() - 9);
    writeFile(bytes);
    expectIgnoredUntilWritten("not a property list");
}

TEST_F(PreferencesTest, BinaryWithReferencesOutsideTheFileIsIgnored) {
    writeFile(binaryPlist({container(0xD, {1, 7}), asciiString("k")}));
    expectIgnoredUntilWritten("not a property list");
}

TEST_F(PreferencesTest, BinaryKeyHoldingANulCharacterIsIgnored) {
    // The key "a" then U+0000, in UTF-16.
    writeFile(binaryPlist({container(0xD, {1, 2}), Bytes{0x62, 0, 'a', 0, 0}, asciiString("v")}));
    expectIgnoredUntilWritten("not a property list");
}

TEST_F(PreferencesTest, GarbageIsIgnored) {
    std::mt19937 random(7);
    Bytes bytes(4096);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    writeFile(bytes);
    expectIgnoredUntilWritten("not a property list");
}

TEST_F(PreferencesTest, AnEmptyFileIsIgnored) {
    writeFile(Bytes{});
    expectIgnoredUntilWritten("not a property list");
}

TEST_F(PreferencesTest, AnArrayAtTheRootIsIgnored) {
    writeFile(xmlPlist("<array><true/></array>"));
    expectIgnoredUntilWritten("not a dictionary");
}

TEST_F(PreferencesTest, APipeInPlaceOfTheFileIsIgnoredWithoutBlocking) {
    fs::create_directories(folder());
    ASSERT_EQ(mkfifo(file().c_str(), 0644), 0);
    EXPECT_FALSE(CFPreferencesCopyAppValue("k", kDomain));
    EXPECT_TRUE(CFPreferencesAppSynchronize(kDomain));
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_NE(logLines()[0].find("unreadable"), std::string::npos);
}

TEST_F(PreferencesTest, AnUnreadableFileIsIgnoredAndAWriteThatCannotReplaceItFails) {
    // A folder where the file should be cannot be read, even by root.
    fs::create_directories(file() / "inside");
    EXPECT_FALSE(CFPreferencesCopyAppValue("k", kDomain));
    EXPECT_TRUE(CFPreferencesAppSynchronize(kDomain));
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_NE(logLines()[0].find("unreadable"), std::string::npos);

    CFPreferencesSetAppValue("radius", CFPropertyList(5), kDomain);
    EXPECT_FALSE(CFPreferencesAppSynchronize(kDomain));
    // The value stays pending in this process; no temporary file is left.
    EXPECT_EQ(CFPreferencesCopyAppValue("radius", kDomain)->intValue(), 5);
    EXPECT_TRUE(fs::is_directory(file() / "inside"));
    EXPECT_EQ(folderEntries(),
              (std::vector<std::string>{kDomain + ".plist", kDomain + ".plist.lock"}));
}

TEST_F(PreferencesTest, ValuesAreStoredOnlyAsDeepAsTheyCanBeReadBack) {
    // With the domain's own dictionary, 31 arrays make 32 levels.
    CFPropertyList value = CFPropertyList(true);
    for (int i = 0; i < 31; ++i)
        value = CFPropertyList(CFArray{value});
    CFPreferencesSetAppValue("deep", value, kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();
    EXPECT_EQ(CFPreferencesCopyAppValue("deep", kDomain), value);

    CFPreferencesSetAppValue("deeper", CFPropertyList(CFArray{value}), kDomain);
    EXPECT_FALSE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();
    EXPECT_FALSE(CFPreferencesCopyAppValue("deeper", kDomain));
    EXPECT_EQ(CFPreferencesCopyAppValue("deep", kDomain), value);
}

TEST_F(PreferencesTest, ChangingTheDeviceRootReadsThatRootsFiles) {
    CFPreferencesSetAppValue("radius", CFPropertyList(9), kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));

    fs::path other = m_root / "other-root";
    DeviceRoot::set(other);
    EXPECT_FALSE(CFPreferencesCopyAppValue("radius", kDomain));
    DeviceRoot::set(m_root);
    EXPECT_EQ(CFPreferencesCopyAppValue("radius", kDomain)->intValue(), 9);
}

TEST_F(PreferencesTest, ConcurrentReadersAndWritersAgree) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            std::string key = "key" + std::to_string(t);
            for (int i = 0; i < kRounds; ++i) {
                CFPreferencesSetAppValue(key, CFPropertyList(i), kDomain);
                auto read = CFPreferencesCopyAppValue(key, kDomain);
                EXPECT_EQ(read->intValue(), i);
                if (i % 10 == 0)
                    CFPreferencesAppSynchronize(kDomain);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    CFPreferencesResetForTesting();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(CFPreferencesCopyAppValue("key" + std::to_string(t), kDomain)->intValue(),
                  kRounds - 1);
}

} // namespace
