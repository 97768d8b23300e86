#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "util/text_helpers.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

using testing::FAT32Image;
using testing::TemporaryFolder;

const std::string holiday = "Holiday at the sea.pdf";
// 52 characters: four full pieces and no end mark.
const std::string fourPieces = "A very long file name that spans several records.pdf";
const std::vector<std::string> longNames{
    holiday,
    fourPieces,
    "\xC3\x9Cn\xC3\xAF"
    "c\xC3\xB8"
    "d\xC3\xA9 r\xC3\xA9sum\xC3\xA9.pdf",                                            // Ünïcødé résumé.pdf
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE5\x90\x8D\xE5\x89\x8D.pdf",  // 日本語の名前.pdf
    "Mixed.Pdf",
    " lead.pdf",
    "+plus.pdf",
    "abcdefghijklm.pdf",
};
// Names mtools keeps in the 8.3 record alone (lower case is a flag there).
const std::vector<std::string> shortOnlyNames{"readme.pdf", "SHORT.PDF"};

// A card whose deleted PDFs carry long, Unicode and 8.3-only names, written
// and deleted by mtools in a UTF-8 locale; one long name twice, in two folders.
class LongNameCard {
public:
    LongNameCard() {
        testing::ScopedEnvironment locale("LC_ALL", "C.UTF-8");
        testing::ScopedEnvironment check("MTOOLS_SKIP_CHECK", "1");
        card.makeDirectory("/DIR");
        card.makeDirectory("/OTHER");
        std::vector<std::string> paths;
        for (const auto& name : longNames) paths.push_back("/DIR/" + name);
        for (const auto& name : shortOnlyNames) paths.push_back("/DIR/" + name);
        paths.push_back("/OTHER/" + holiday);
        for (const auto& path : paths) card.write(path, pdf);
        for (const auto& path : paths) card.remove(path);
    }

    // Offset of the first long-name piece whose first five characters are
    // these (ASCII); -1 when none. A piece need not lie next to its short
    // record in the image: a folder's clusters are scattered.
    std::int64_t piece(const std::string& first5) const {
        std::string bytes = testing::readFile(card.path());
        std::string units;
        for (char c : first5) units += std::string{c, '\0'};
        for (std::size_t at = FAT32Image::rootDirectoryOffset; at + 32 <= bytes.size(); at += 32)
            if (bytes[at + 11] == 0x0F && bytes.compare(at + 1, 10, units) == 0) return static_cast<std::int64_t>(at);
        return -1;
    }
    void patch(std::int64_t offset, std::uint8_t byte) const { testing::patchFile(card.path(), offset, {byte}); }

    FAT32Image card;
    const std::vector<std::uint8_t> pdf = testing::SampleFiles::pdf();
};

// The names fls lists for the image's deleted files, last path part only.
std::vector<std::string> deletedNamesByFls(const std::filesystem::path& image) {
    std::string output;
    EXPECT_EQ(testing::runTool("fls", {"-r", "-d", image.string()}, &output), 0);
    std::vector<std::string> names;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("r/r * ")) continue;
        std::string path = line.substr(line.find(":\t") + 2);
        names.push_back(path.substr(path.rfind('/') + 1));
    }
    return names;
}

// fls shows 8.3 names with their case flags applied; this engine keeps the
// short name's capitals, so those compare ignoring case.
bool sameName(const Candidate& candidate, const std::string& flsName) {
    if (candidate.longName) return *candidate.longName == flsName;
    return text_helpers::lowercased(candidate.name) == text_helpers::lowercased(flsName);
}

const Candidate& named(const std::vector<Candidate>& candidates, const std::string& shownName) {
    auto found = std::find_if(candidates.begin(), candidates.end(),
                              [&](const Candidate& candidate) { return candidate.displayName() == shownName; });
    if (found == candidates.end()) throw std::runtime_error("no candidate shown as " + shownName);
    return *found;
}

TEST(FAT32LongNameScan, EveryDeletedFileIsNamedAsFlsNamesIt) {
    LongNameCard card;
    auto [candidates, report] = scanImage(card.card.path());
    auto flsNames = deletedNamesByFls(card.card.path());
    ASSERT_EQ(flsNames.size(), longNames.size() + shortOnlyNames.size() + 1);
    ASSERT_EQ(candidates.size(), flsNames.size());
    std::vector<bool> matched(candidates.size(), false);
    for (const auto& flsName : flsNames) {
        std::size_t i = 0;
        while (i < candidates.size() && (matched[i] || !sameName(candidates[i], flsName))) ++i;
        ASSERT_LT(i, candidates.size()) << "no candidate for " << flsName;
        matched[i] = true;
    }
    for (const auto& name : longNames) EXPECT_EQ(named(candidates, name).longName, name);
    for (const auto& candidate : candidates)
        EXPECT_EQ(candidate.displayName(), candidate.longName.value_or(candidate.name));
}

TEST(FAT32LongNameScan, KeepsTheShortNameAndGivesBackItsFirstCharacter) {
    LongNameCard card;
    auto [candidates, report] = scanImage(card.card.path());
    const Candidate& found = named(candidates, holiday);
    EXPECT_EQ(found.name, "_OLIDA~1.pdf");
    EXPECT_EQ(found.restoredShortName, "HOLIDA~1.pdf");
    EXPECT_EQ(named(candidates, "Mixed.Pdf").restoredShortName, "MIXED.pdf");
    EXPECT_EQ(named(candidates, " lead.pdf").restoredShortName, "LEAD~1.pdf");
    EXPECT_EQ(named(candidates, "+plus.pdf").restoredShortName, "_PLUS~1.pdf");
    // A run is read across the folder's clusters, wherever they lie.
    EXPECT_NE(card.piece("Mixed") + 32, testing::findShortNameRecord(card.card.path(), "\xE5IXED   PDF"));
    const Candidate& shortOnly = named(candidates, "_EADME.pdf");
    EXPECT_FALSE(shortOnly.longName);
    EXPECT_FALSE(shortOnly.restoredShortName);
}

TEST(FAT32LongNameScan, AnEditedChecksumFallsBackToTheShortName) {
    LongNameCard card;
    // One piece of a two-piece run disagrees with the other; a one-piece run
    // then names another short name than its own.
    for (auto piece : {card.piece("Holid"), card.piece("Mixed")}) {
        ASSERT_GT(piece, 0);
        auto checksum = testing::fileBytes(card.card.path()).at(static_cast<std::size_t>(piece + 13));
        card.patch(piece + 13, static_cast<std::uint8_t>(checksum + 1));
    }
    auto [candidates, report] = scanImage(card.card.path());
    EXPECT_FALSE(named(candidates, "_OLIDA~1.pdf").longName);
    EXPECT_FALSE(named(candidates, "_IXED.pdf").longName);
    EXPECT_EQ(named(candidates, "Holiday at the sea.pdf").directoryLocation, "OTHER");
}

TEST(FAT32LongNameScan, ADamagedMiddlePieceFallsBackToTheShortName) {
    LongNameCard zeroed;
    auto middle = zeroed.piece("ile n");  // the second of four pieces
    ASSERT_GT(middle, 0);
    testing::patchFile(zeroed.card.path(), middle + 1, std::vector<std::uint8_t>(10, 0));
    EXPECT_FALSE(named(scanImage(zeroed.card.path()).first, "_VERYL~1.pdf").longName);

    // No longer a long-name piece: the run stops short of the name's end.
    LongNameCard cut;
    middle = cut.piece("ile n");
    cut.patch(middle + 11, 0x20);
    EXPECT_FALSE(named(scanImage(cut.card.path()).first, "_VERYL~1.pdf").longName);
}

TEST(FAT32LongNameScan, AnExportByShownNamesWritesTheLongNames) {
    LongNameCard card;
    auto [candidates, report] = scanImage(card.card.path());
    TemporaryFolder destination;
    auto written =
        exportImage(candidates, card.card.path(), "CARD", destination.path(), nullptr, {}, ExportNaming::displayName);
    ASSERT_EQ(written.size(), candidates.size());
    std::vector<std::string> fileNames;
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(written[i].parent_path(), destination / "Tidewell-Deleted-Recovery-CARD");
        EXPECT_EQ(testing::fileBytes(written[i]), card.pdf);
        fileNames.push_back(written[i].filename().string());
    }
    for (const auto& name : longNames) EXPECT_NE(std::find(fileNames.begin(), fileNames.end(), name), fileNames.end());
    EXPECT_NE(std::find(fileNames.begin(), fileNames.end(), "Holiday at the sea 2.pdf"), fileNames.end());
    EXPECT_NE(std::find(fileNames.begin(), fileNames.end(), "_EADME.pdf"), fileNames.end());
}

TEST(FAT32LongNameScan, TheReportOfAnExportByShownNamesUsesThem) {
    LongNameCard card;
    auto [candidates, report] = scanImage(card.card.path());
    Candidate uncertain = named(candidates, holiday);
    uncertain.isContiguousAndFree = false;
    TemporaryFolder destination;
    auto exportOne = [&](ExportNaming naming) {
        exportImage({uncertain}, card.card.path(), "CARD", destination.path(), nullptr, {}, naming);
    };
    exportOne(ExportNaming::displayName);
    exportOne(ExportNaming::entryName);
    auto report1 =
        testing::readFile(destination / "Tidewell-Deleted-Recovery-CARD/Tidewell-Deleted-Recovery-Report.txt");
    auto report2 =
        testing::readFile(destination / "Tidewell-Deleted-Recovery-CARD-2/Tidewell-Deleted-Recovery-Report.txt");
    EXPECT_TRUE(report1.ends_with("\n\nSkipped Holiday at the sea.pdf: cluster reuse is uncertain.")) << report1;
    EXPECT_TRUE(report2.ends_with("\n\nSkipped _OLIDA~1.pdf: cluster reuse is uncertain.")) << report2;
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
