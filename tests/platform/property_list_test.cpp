#include "platform/property_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/binary_property_list.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using testing::BinaryPropertyListBuilder;
using Value = PropertyListValue;

std::optional<Value> parse(const std::string& bytes) {
    return parsePropertyList({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

const std::string sampleXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<plist version=\"1.0\"><dict>"
    "<key>Name</key><string>Caf&#233; &amp; Co</string>"
    "<key>Count</key><integer>42</integer>"
    "<key>Negative</key><integer>-5</integer>"
    "<key>Ratio</key><real>0.5</real>"
    "<key>On</key><true/>"
    "<key>When</key><date>2001-01-02T00:00:00Z</date>"
    "<key>Blob</key><data>AAEC</data>"
    "<key>List</key><array><string>a</string><dict/></array>"
    "</dict></plist>";

Value::Dictionary expectedSample() {
    return {{"Name", Value{std::string("Caf\xC3\xA9 & Co")}},
            {"Count", Value{std::int64_t{42}}},
            {"Negative", Value{std::int64_t{-5}}},
            {"Ratio", Value{0.5}},
            {"On", Value{true}},
            {"When", Value{Value::Date(std::chrono::seconds(978'307'200 + 86'400))}},
            {"Blob", Value{Value::Data{0, 1, 2}}},
            {"List", Value{Value::Array{Value{std::string("a")}, Value{Value::Dictionary{}}}}}};
}

TEST(PropertyList, ReadsXmlAndBinaryAlike) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "list.xml", sampleXml);
    ASSERT_EQ(testing::runTool("plistutil", {"-i", (folder / "list.xml").string(), "-o", (folder / "list.bin").string(),
                                             "-f", "bin"}),
              0);
    ASSERT_EQ(testing::readFile(folder / "list.bin").substr(0, 8), "bplist00");
    for (const char* name : {"list.xml", "list.bin"}) {
        auto dictionary = readPropertyListDictionary(folder / name);
        ASSERT_TRUE(dictionary.has_value()) << name;
        EXPECT_EQ(*dictionary, expectedSample()) << name;
        EXPECT_EQ(stringValue(*dictionary, "Name"), "Caf\xC3\xA9 & Co");
        EXPECT_EQ(stringValue(*dictionary, "Count"), std::nullopt);
        EXPECT_EQ(boolValue(*dictionary, "On"), true);
        EXPECT_EQ(boolValue(*dictionary, "Missing"), std::nullopt);
    }
}

TEST(PropertyList, GarbageAndNonDictionariesGiveNone) {
    EXPECT_EQ(parse(""), std::nullopt);
    EXPECT_EQ(parse("not a property list"), std::nullopt);
    EXPECT_EQ(parse("<plist><dict><key>a</key><string>b</string>"), std::nullopt);
    EXPECT_EQ(parse("bplist00"), std::nullopt);
    EXPECT_EQ(parse(std::string("bplist00") + std::string(40, '\xFF')), std::nullopt);
    auto array = parse("<plist><array><true/></array></plist>");
    ASSERT_TRUE(array.has_value());
    EXPECT_EQ(*array, (Value{Value::Array{Value{true}}}));

    testing::TemporaryFolder folder;
    testing::writeFile(folder / "array.plist", "<plist><array/></plist>");
    EXPECT_EQ(readPropertyListDictionary(folder / "array.plist"), std::nullopt);
    EXPECT_EQ(readPropertyListDictionary(folder / "missing.plist"), std::nullopt);
    fs::create_directories(folder / "folder.plist");
    EXPECT_EQ(readPropertyListDictionary(folder / "folder.plist"), std::nullopt);
    ASSERT_EQ(::mkfifo((folder / "pipe.plist").c_str(), 0600), 0);
    EXPECT_EQ(readPropertyListDictionary(folder / "pipe.plist"), std::nullopt);  // must not block
}

std::string nestedXml(int depth) {
    std::string xml = "<plist>";
    for (int i = 0; i < depth; ++i) xml += "<array>";
    for (int i = 0; i < depth; ++i) xml += "</array>";
    return xml + "</plist>";
}

std::string nestedBinary(int depth) {
    BinaryPropertyListBuilder builder;
    for (int i = 0; i < depth - 1; ++i)
        builder.add(BinaryPropertyListBuilder::array({static_cast<std::uint32_t>(i + 1)}));
    builder.add(BinaryPropertyListBuilder::array({}));
    return builder.build(0);
}

TEST(PropertyList, NestingIsCappedInBothFormats) {
    const int limit = PropertyListLimits::maximumDepth;
    EXPECT_TRUE(parse(nestedXml(limit)).has_value());
    EXPECT_EQ(parse(nestedXml(limit + 1)), std::nullopt);
    EXPECT_EQ(parse(nestedXml(200'000)), std::nullopt);
    EXPECT_TRUE(parse(nestedBinary(limit)).has_value());
    EXPECT_EQ(parse(nestedBinary(limit + 1)), std::nullopt);
    EXPECT_EQ(parse(nestedBinary(200'000)), std::nullopt);
    // Tags inside comments and character data nest nothing.
    EXPECT_TRUE(parse("<plist><array><!-- <array><array> --><string><![CDATA[<dict><dict>]]></string></array></plist>")
                    .has_value());
}

TEST(PropertyList, SharedSubtreesAndCyclesAreRefused) {
    BinaryPropertyListBuilder laughs;
    for (std::uint32_t i = 0; i < 40; ++i) laughs.add(BinaryPropertyListBuilder::array({i + 1, i + 1}));
    laughs.add(BinaryPropertyListBuilder::boolean(true));
    EXPECT_EQ(parse(laughs.build(0)), std::nullopt);

    BinaryPropertyListBuilder cycle;
    cycle.add(BinaryPropertyListBuilder::array({1}));
    cycle.add(BinaryPropertyListBuilder::array({0}));
    EXPECT_EQ(parse(cycle.build(0)), std::nullopt);

    BinaryPropertyListBuilder shared;  // a little sharing is fine
    const auto key = shared.add(BinaryPropertyListBuilder::ascii("Label"));
    const auto value = shared.add(BinaryPropertyListBuilder::ascii("com.shared"));
    const auto top = shared.add(BinaryPropertyListBuilder::dictionary({key}, {value}));
    auto parsed = parse(shared.build(top));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, (Value{Value::Dictionary{{"Label", Value{std::string("com.shared")}}}}));
}

}  // namespace
}  // namespace tidewell::platform
