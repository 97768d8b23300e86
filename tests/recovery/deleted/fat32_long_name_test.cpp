#include "recovery/deleted/fat32_long_name.h"

#include <gtest/gtest.h>

#include "recovery/deleted/fat32_long_name_records.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

using testing::deletedLongNameEntry;

std::optional<RestoredLongName> restored(const std::vector<std::uint8_t>& directory) {
    return deletedLongName(directory, directory.size() - 32);
}

std::string restoredName(const std::vector<std::uint8_t>& directory) {
    auto names = restored(directory);
    return names ? names->longName : "(none)";
}

void putUnit(std::vector<std::uint8_t>& bytes, std::size_t at, char16_t unit) {
    bytes.at(at) = static_cast<std::uint8_t>(unit);
    bytes.at(at + 1) = static_cast<std::uint8_t>(unit >> 8);
}

TEST(FAT32LongName, PutsThePiecesTogetherAndRestoresTheLostFirstCharacter) {
    auto directory = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    ASSERT_EQ(directory.size(), 3u * 32);
    auto names = restored(directory);
    ASSERT_TRUE(names);
    EXPECT_EQ(names->longName, "Holiday at the sea.png");
    EXPECT_EQ(names->shortNameFirstByte, 'H');
}

TEST(FAT32LongName, ANameThatFillsItsLastPieceNeedsNoEndMark) {
    EXPECT_EQ(restoredName(deletedLongNameEntry(u"abcdefghijklm", "ABCDEF~1   ")), "abcdefghijklm");
    EXPECT_EQ(restoredName(deletedLongNameEntry(std::u16string(255, u'n') + u"", "NNNNNN~1   ")),
              std::string(255, 'n'));
}

TEST(FAT32LongName, DecodesUTF16WithSurrogatePairs) {
    EXPECT_EQ(restoredName(deletedLongNameEntry(u"\U0001F600 Smile.jpg", "_SMILE~1JPG")), "\xF0\x9F\x98\x80 Smile.jpg");
    EXPECT_EQ(restoredName(deletedLongNameEntry(u"R\u00E9sum\u00E9 \u65E5\u672C.pdf", "RSUM~1  PDF")),
              "R\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.pdf");
    // A first character 0xE5 is stored as 0x05; a code-page byte stands for a letter outside ASCII.
    auto escaped = restored(deletedLongNameEntry(u"\u00D5bc-long.txt",
                                                 "\x05"
                                                 "BC-LO~1TXT"));
    ASSERT_TRUE(escaped);
    EXPECT_EQ(escaped->shortNameFirstByte, 0x05);
}

TEST(FAT32LongName, RefusesUnpairedSurrogatesSlashesAndControlCharacters) {
    const std::pair<std::u16string, std::string> refused[] = {
        {u"bad\xD83D.jpg", "BAD~1   JPG"},
        {u"bad\xDE00.jpg", "BAD~1   JPG"},
        {u"a/b long.jpg", "A_BLON~1JPG"},
        {u"tab\there.jpg", "TAB_HE~1JPG"},
        {u"..", "DOTS~1     "},
    };
    for (const auto& [longName, shortName] : refused)
        EXPECT_FALSE(restored(deletedLongNameEntry(longName, shortName))) << shortName;
}

TEST(FAT32LongName, KeepsNothingWithoutLongNameRecords) {
    auto directory = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    EXPECT_FALSE(deletedLongName(directory, 0));   // nothing before the first piece
    EXPECT_FALSE(deletedLongName(directory, 32));  // a piece after a piece is no short record
    auto live = directory;
    live.at(64) = 'H';
    EXPECT_FALSE(deletedLongName(live, 64));
    std::vector<std::uint8_t> alone(directory.end() - 32, directory.end());
    EXPECT_FALSE(deletedLongName(alone, 0));
    EXPECT_FALSE(deletedLongName(alone, 32));  // past the end
}

TEST(FAT32LongName, APieceWithAnotherChecksumBreaksTheRun) {
    auto directory = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    directory.at(13) ^= 0x01;
    EXPECT_EQ(restoredName(directory), "(none)");
}

TEST(FAT32LongName, AChecksumOfAnotherShortNameBreaksTheRun) {
    // Unique first byte "X", but the numeric-tail name must begin like the long name.
    EXPECT_EQ(restoredName(deletedLongNameEntry(u"Holiday at the sea.png", "XOLIDA~1PNG")), "(none)");
    // The long name's own capitals with another first letter.
    EXPECT_EQ(restoredName(deletedLongNameEntry(u"Mixed.Pdf", "NIXED   PDF")), "(none)");
    EXPECT_EQ(restoredName(deletedLongNameEntry(u"Mixed.Pdf", "MIXED   PDF")), "Mixed.Pdf");
    // A short name not made from the long name has only the checksum to go by.
    EXPECT_EQ(restoredName(deletedLongNameEntry(u"Notes.txt", "README  TXT")), "Notes.txt");
}

TEST(FAT32LongName, AnEndMarkBeforeTheLastPieceIsAGap) {
    auto directory = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    putUnit(directory, 32 + 9, u'\0');  // the first piece, nearest the short record, ends early
    EXPECT_EQ(restoredName(directory), "(none)");
}

TEST(FAT32LongName, AnEmptyLastPieceIsAWrongCount) {
    EXPECT_EQ(restoredName(deletedLongNameEntry(std::u16string(u"abcdefghijklm") + u'\0', "ABCDEF~1   ")), "(none)");
}

TEST(FAT32LongName, OnlyPaddingMayFollowTheEndMark) {
    auto directory = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    putUnit(directory, 30, u'x');  // the last unit of the last piece
    EXPECT_EQ(restoredName(directory), "(none)");
    auto unterminated = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    putUnit(unterminated, 22, u'\xFFFF');  // padding where the end mark was
    EXPECT_EQ(restoredName(unterminated), "(none)");
}

TEST(FAT32LongName, ARunThatLostItsLastPieceIsPartial) {
    auto directory = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    // The slot of the last piece reused by a live short record: "Holiday at th" alone is left.
    std::fill(directory.begin(), directory.begin() + 32, 0x41);
    directory.at(11) = 0x20;
    EXPECT_EQ(restoredName(directory), "(none)");
}

TEST(FAT32LongName, ALivePieceOrOneClaimingAClusterBelongsToNoDeletedName) {
    auto live = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    live.at(32) = 0x01;
    EXPECT_EQ(restoredName(live), "(none)");
    auto clustered = deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG");
    clustered.at(32 + 26) = 0x07;
    EXPECT_EQ(restoredName(clustered), "(none)");
}

TEST(FAT32LongName, MoreThan255UnitsIsNoName) {
    EXPECT_EQ(restoredName(deletedLongNameEntry(std::u16string(256, u'n'), "NNNNNN~1   ")), "(none)");
    EXPECT_EQ(restoredName(deletedLongNameEntry(std::u16string(21 * 13, u'n'), "NNNNNN~1   ")), "(none)");
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
