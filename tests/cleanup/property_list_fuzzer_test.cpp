// Replays hostile inputs through the property-list fuzz target.
#define TIDEWELL_FUZZ_ENTRY propertyListFuzzEntry
#include "../../fuzz/property_list_fuzzer.cpp"

#include <gtest/gtest.h>

#include "support/binary_property_list.h"

namespace tidewell {
namespace {

using testing::BinaryPropertyListBuilder;

int replay(const std::string& bytes) {
    return propertyListFuzzEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(PropertyListFuzzer, ReplaysHostileXml) {
    EXPECT_EQ(replay(""), 0);
    EXPECT_EQ(replay("<plist>" + std::string(100'000, '<') + "</plist>"), 0);
    std::string deep = "<plist>";
    for (int i = 0; i < 100'000; ++i) deep += "<dict><key>k</key>";
    EXPECT_EQ(replay(deep), 0);
    EXPECT_EQ(replay("<plist><dict><key>ProgramArguments</key><array><array/></array>"
                     "<key>KeepAlive</key><string>no</string><key>Label</key><dict/>"
                     "<key>CFBundleExecutable</key><string>../../../bin/sh</string>"
                     "<key>CFBundleIconFile</key><string>/etc/passwd</string></dict></plist>"),
              0);
    EXPECT_EQ(replay("<plist><dict><key>Program</key><string>\xFF\xFE\x00</string></dict></plist>"), 0);
    EXPECT_EQ(replay(std::string("<plist><dict><key>a\0b</key><string>x</string></dict></plist>", 60)), 0);
    EXPECT_EQ(replay("<plist><dict><key>a&#0;b</key><string>x</string><key>&#x0;</key><true/></dict></plist>"), 0);
    EXPECT_EQ(replay("<plist><dict><key>A</key><date>9999999-99-99T99:99:99Z</date>"
                     "<key>B</key><data>!!!!</data><key>C</key><integer>99999999999999999999999</integer>"
                     "<key>D</key><real>nan</real></dict></plist>"),
              0);
}

TEST(PropertyListFuzzer, ReplaysHostileBinary) {
    EXPECT_EQ(replay("bplist00"), 0);
    EXPECT_EQ(replay("bplist00" + std::string(32, '\xFF')), 0);
    std::string counts = "bplist00\xDF\x13" + std::string(8, '\xFF') + std::string(6, '\0') + "\x01\x08";
    counts += std::string(7, '\0') + "\x01" + std::string(8, '\0') + std::string(7, '\0') + "\x08";
    EXPECT_EQ(replay(counts), 0);

    BinaryPropertyListBuilder laughs;
    for (std::uint32_t i = 0; i < 64; ++i) laughs.add(BinaryPropertyListBuilder::array({i + 1, i + 1, i + 1}));
    laughs.add(BinaryPropertyListBuilder::boolean(false));
    EXPECT_EQ(replay(laughs.build(0)), 0);

    BinaryPropertyListBuilder broken;  // references past the object table
    const auto key = broken.add(BinaryPropertyListBuilder::ascii("Program"));
    const auto top = broken.add(BinaryPropertyListBuilder::dictionary({key, 7}, {99, key}));
    EXPECT_EQ(replay(broken.build(top)), 0);

    BinaryPropertyListBuilder self;
    self.add(BinaryPropertyListBuilder::dictionary({0}, {0}));
    EXPECT_EQ(replay(self.build(0)), 0);
}

// Found by the fuzzer: a binary list with a dictionary key that holds a zero
// character; asking libplist for that key's text aborted the process.
TEST(PropertyListFuzzer, ReplaysADictionaryKeyHoldingAZeroCharacter) {
    const std::string hex =
        "62706c6973743030d5010305080a020406090b5f1012434642756e646c654964656e7469666965725f10116170702e65"
        "78616d706c652e4e6f7465735c434642756e64726f6772616d417267756d656e7473a178616d706c2f2e4e6f7465735c"
        "434642756e64000061300006274067756d656e7473a1075f102c2f4170706c69636174696f6e732f4e6f7465732e6170"
        "709a8459526f4c75746e416164095453697a65102a0813283c494f6264939d9ea3000000000000010100000000000000"
        "0c000000000000000000000000000000a5";
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    EXPECT_EQ(replay(bytes), 0);
}

}  // namespace
}  // namespace tidewell
