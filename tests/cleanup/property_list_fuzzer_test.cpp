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

}  // namespace
}  // namespace tidewell
