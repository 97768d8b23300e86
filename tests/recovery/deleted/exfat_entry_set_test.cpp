#include "recovery/deleted/exfat_entry_set.h"

#include <gtest/gtest.h>

#include <vector>

namespace tidewell::ExFATDeletedRecoveryEngine {
namespace {

// A deleted file entry, its stream extension and name entries holding `units`.
std::vector<std::uint8_t> entrySet(const std::vector<std::uint16_t>& units) {
    std::size_t nameEntries = (units.size() + 14) / 15;
    std::vector<std::uint8_t> bytes((2 + nameEntries) * entrySize, 0);
    bytes[0] = fileEntryCode;
    bytes[1] = static_cast<std::uint8_t>(1 + nameEntries);
    bytes[entrySize] = 0xC0;
    bytes[entrySize + 1] = 0x02;  // no FAT chain
    bytes[entrySize + 3] = static_cast<std::uint8_t>(units.size());
    bytes[entrySize + 20] = 5;
    bytes[entrySize + 24] = 100;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::size_t at = (2 + i / 15) * entrySize + 2 + (i % 15) * 2;
        bytes[(2 + i / 15) * entrySize] = 0xC1;
        bytes[at] = static_cast<std::uint8_t>(units[i]);
        bytes[at + 1] = static_cast<std::uint8_t>(units[i] >> 8);
    }
    return bytes;
}

std::optional<std::string> nameOf(const std::vector<std::uint16_t>& units) {
    auto set = parseFileSet(entrySet(units), 0);
    if (!set) return std::nullopt;
    return set->name;
}

TEST(ExFATEntrySet, ReadsTheStreamExtension) {
    auto set = parseFileSet(entrySet({'a', '.', 'j', 'p', 'g'}), 0);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->name, "a.jpg");
    EXPECT_EQ(set->secondaryCount, 2);
    EXPECT_TRUE(set->noFATChain);
    EXPECT_EQ(set->firstCluster, 5u);
    EXPECT_EQ(set->dataLength, 100);
}

TEST(ExFATEntrySet, DecodesUTF16AndReplacesUnpairedSurrogates) {
    EXPECT_EQ(nameOf({0x00E9, 0x20AC, 0xD83D, 0xDE00}), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(nameOf({'a', 0xD800, 'b', 0xDC00}),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(nameOf({0xDBFF, 0xD800, 0xDC00}), "\xEF\xBF\xBD\xF0\x90\x80\x80");
}

TEST(ExFATEntrySet, TrimsASCIIBlanksOnly) {
    EXPECT_EQ(nameOf({' ', '\t', 'x', ' ', 0x00A0}), "x \xC2\xA0");
    EXPECT_EQ(nameOf({' ', '\r', '\n', '\v', '\f'}), std::nullopt);
}

}  // namespace
}  // namespace tidewell::ExFATDeletedRecoveryEngine
