#include "firstaid/archive_diagnosis.h"

#include <gtest/gtest.h>

#include "firstaid/diagnosis_lines.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/repair_export.h"
#include "firstaid/tool_runs.h"
#include "util/byte_size_text.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
using testing::makeZip;
using testing::readFile;
using testing::renameEntry;
using testing::writeFile;

using Line = testing::FindingLine;

std::vector<Line> lines(const FileRepairDiagnostic& diagnostic) {
    return testing::findingLines(diagnostic);
}

const std::string repairAction =
    "Export a rebuilt copy from readable archive entries. If the directory is damaged, Tidewell will attempt a "
    "separate ZIP salvage copy. The original file will not be changed.";
const std::string officeAction =
    "A required Office package part is missing or unreadable, so Tidewell will not create an invalid presentation, "
    "document, or workbook. You can still try extracting readable contents.";

class ArchiveDiagnosisTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
};

TEST_F(ArchiveDiagnosisTest, IntactArchiveCanBeRebuilt) {
    auto zip = makeZip(folder / "photos.zip", {{"notes.txt", "hello"}, {"album/my-trip_2024.txt", "world!"}});
    const auto diagnostic = diagnose(zip);
    EXPECT_EQ(diagnostic.kind, FileRepairKind::zipArchive);
    EXPECT_EQ(
        lines(diagnostic),
        (std::vector<Line>{
            {"Local file headers", "At least one ZIP local header was found.", RepairFindingLevel::ok},
            {"Central directory", "The archive directory is present near the end of the file.", RepairFindingLevel::ok},
            {"End of central directory", "The ZIP end marker is present.", RepairFindingLevel::ok},
            {"Archive safety", "2 entries, " + tidewellString(11) + " expanded.", RepairFindingLevel::ok},
            {"Archive test", "unzip can read the archive.", RepairFindingLevel::ok},
            {"Readable entries", "2 entries listed.", RepairFindingLevel::ok},
        }));
    EXPECT_TRUE(diagnostic.canAttemptRepair);
    EXPECT_TRUE(diagnostic.canExtractReadableContent);
    EXPECT_EQ(diagnostic.recommendedAction, repairAction);
    EXPECT_EQ(diagnostic.toolNotes,
              (std::vector<std::string>{"qpdf available", "ffmpeg available", "zip/unzip: available"}));
    ASSERT_EQ(diagnostic.previewItems.size(), 4u);
    EXPECT_EQ(diagnostic.previewItems[0].detail, "ZIP");
    EXPECT_EQ(diagnostic.previewItems[1].detail, "2 entries detected.");
    EXPECT_EQ(diagnostic.previewItems[3].title, "My Trip 2024.txt");
    EXPECT_EQ(diagnostic.previewItems[3].detail, "album/my-trip_2024.txt");
    EXPECT_EQ(diagnostic.previewItems[3].systemImage, "doc");
}

TEST_F(ArchiveDiagnosisTest, TruncatedBeforeCentralDirectory) {
    auto zip = makeZip(folder / "whole.zip", {{"a.txt", std::string(3000, 'a')}}, {"-0"});
    const auto bytes = readFile(zip);
    testing::truncateCopy(zip, folder / "cut.zip", bytes.find(std::string("PK\x01\x02", 4)));
    const auto diagnostic = diagnose(folder / "cut.zip");
    const auto found = lines(diagnostic);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].level, RepairFindingLevel::ok);
    EXPECT_EQ(found[1], (Line{"Central directory", "The archive directory was not found in the tail sample.",
                              RepairFindingLevel::failed}));
    EXPECT_EQ(found[2], (Line{"End of central directory", "The ZIP end marker is missing or outside the sampled tail.",
                              RepairFindingLevel::failed}));
    EXPECT_EQ(found[3].title, "Archive test");
    EXPECT_EQ(found[3].level, RepairFindingLevel::warning);
    EXPECT_NE(found[3].detail.find("cannot find zipfile directory"), std::string::npos);
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_TRUE(diagnostic.canExtractReadableContent);
    EXPECT_EQ(diagnostic.recommendedAction,
              "No readable archive entry list is available, so Tidewell will not extract this archive.");
    EXPECT_EQ(diagnostic.previewItems[1].detail, "No entry list available yet.");
}

TEST_F(ArchiveDiagnosisTest, ArchiveFollowedByMoreThanTheTailSampleKeepsItsSizeAndRebuilds) {
    auto zip = makeZip(folder / "long.zip", {{"a.txt", std::string(3000, 'a')}, {"docs/b.txt", "bee"}});
    testing::appendJunk(zip, 2'500'000);
    // unzip -l no longer finds the archive's end; zipinfo still does, and lists the sizes.
    ASSERT_NE(CommandRunner::run("/usr/bin/unzip", {"-l", zip.string()}).status, 0);
    EXPECT_EQ(archiveExpandedBytes(zip), 3003);
    const auto diagnostic = diagnose(zip);
    const auto found = lines(diagnostic);
    ASSERT_EQ(found.size(), 6u);
    EXPECT_EQ(found[1].level, RepairFindingLevel::failed);
    EXPECT_EQ(found[2].level, RepairFindingLevel::failed);
    EXPECT_EQ(found[3],
              (Line{"Archive safety", "2 entries, " + tidewellString(3003) + " expanded.", RepairFindingLevel::ok}));
    EXPECT_EQ(found[4].title, "Archive test");
    EXPECT_EQ(found[4].level, RepairFindingLevel::warning);
    EXPECT_EQ(found[5], (Line{"Readable entries", "2 entries listed.", RepairFindingLevel::ok}));
    EXPECT_TRUE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction, repairAction);

    // unzip cannot extract it, so the rebuild salvages the entries into a separate copy.
    const auto outcome = repair(diagnostic, folder / "long-repaired.zip");
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    EXPECT_EQ(readableArchiveEntries(outcome.outputURL), (std::vector<std::string>{"a.txt", "docs/b.txt"}));
}

TEST_F(ArchiveDiagnosisTest, ArchiveWhoseExpandedSizeCannotBeReadIsNeitherExtractedNorRebuilt) {
    // An unzip whose listings with sizes fail (as one stopped by its time-out would) while
    // the bare name listing still works.
    testing::TemporaryFolder resources;
    const auto unzip = resources / "Tools" / "unzip";
    writeFile(unzip,
              "#!/bin/sh\n"
              "case \"$1 $2\" in \"-l \"* | \"-Z -l\") exit 9 ;; esac\n"
              "exec /usr/bin/unzip \"$@\"\n");
    std::filesystem::permissions(unzip, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    const testing::ScopedEnvironment shipped("TIDEWELL_RESOURCE_DIR", resources.path().string());

    auto zip = makeZip(folder / "sizeless.zip", {{"a.txt", "hello"}});
    EXPECT_EQ(readableArchiveEntries(zip), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(archiveExpandedBytes(zip), std::nullopt);
    const std::string unknownSize =
        "Tidewell could not read how large this archive expands, so it will not be extracted or rebuilt.";
    EXPECT_EQ(archiveSafetyAssessment(zip, logicalFileByteSize(zip)).issues, std::vector<std::string>{unknownSize});
    const auto diagnostic = diagnose(zip);
    EXPECT_EQ(lines(diagnostic)[3], (Line{"Archive safety", unknownSize, RepairFindingLevel::failed}));
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction, unknownSize);
    try {
        repair(diagnostic, folder / "sizeless-repaired.zip");
        ADD_FAILURE() << "the rebuild went ahead";
    } catch (const RepairError& error) {
        EXPECT_EQ(error.what(), unknownSize);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "sizeless-repaired.zip"));
}

TEST_F(ArchiveDiagnosisTest, UnsafeEntryNames) {
    EXPECT_TRUE(isUnsafeArchiveEntry("../evil"));
    EXPECT_TRUE(isUnsafeArchiveEntry("a\\..\\b"));
    EXPECT_TRUE(isUnsafeArchiveEntry("/etc/passwd"));
    EXPECT_TRUE(isUnsafeArchiveEntry("~/x"));
    EXPECT_FALSE(isUnsafeArchiveEntry("a/..b/c"));
    EXPECT_FALSE(isUnsafeArchiveEntry("a/b~"));

    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"xyzevil", "../evil"}, {"xabs.txt", "/abs.txt"}, {"xhome.txt", "~home.txt"}}) {
        auto zip = makeZip(folder / (from + ".zip"), {{from, "payload"}});
        renameEntry(zip, from, to);
        const auto assessment = archiveSafetyAssessment(zip, logicalFileByteSize(zip));
        EXPECT_EQ(assessment.issues,
                  std::vector<std::string>{"Archive entry is unsafe and will not be extracted: " + to});
        const auto diagnostic = diagnose(zip);
        EXPECT_FALSE(diagnostic.canAttemptRepair);
        EXPECT_EQ(diagnostic.recommendedAction, "Archive entry is unsafe and will not be extracted: " + to);
    }
}

TEST_F(ArchiveDiagnosisTest, LinksAndEncryptionAreUnsafe) {
    writeFile(folder / "target.txt", "t");
    auto linked = makeZip(folder / "linked.zip", {{"a.txt", "a"}});
    std::filesystem::create_symlink("a.txt", folder / "link");
    const auto output = CommandRunner::run("/usr/bin/zip", {"-q", "-y", linked.string(), "link"}, folder.path());
    ASSERT_EQ(output.status, 0);
    EXPECT_TRUE(archiveHasSymbolicLinkOrEncryption(linked));

    auto encrypted = makeZip(folder / "secret.zip", {{"a.txt", "a"}}, {"-e", "-P", "pw"});
    EXPECT_TRUE(archiveHasSymbolicLinkOrEncryption(encrypted));
    const auto diagnostic = diagnose(encrypted);
    EXPECT_EQ(lines(diagnostic)[3],
              (Line{"Archive safety",
                    "This archive contains symbolic links or encrypted entries, which Tidewell does not extract for "
                    "safety.",
                    RepairFindingLevel::failed}));
    EXPECT_FALSE(diagnostic.canAttemptRepair);

    EXPECT_FALSE(archiveHasSymbolicLinkOrEncryption(makeZip(folder / "plain.zip", {{"a.txt", "a"}})));
}

TEST_F(ArchiveDiagnosisTest, DepthEntryCountAndRatioLimits) {
    std::string deep24, deep25;
    for (int i = 0; i < 23; ++i) deep24 += "d/";
    deep25 = deep24 + "e/f.txt";
    deep24 += "f.txt";
    EXPECT_TRUE(archiveSafetyAssessment(makeZip(folder / "d24.zip", {{deep24, "x"}}, {"-D"}), 0).isSafe());
    EXPECT_EQ(archiveSafetyAssessment(makeZip(folder / "d25.zip", {{deep25, "x"}}, {"-D"}), 0).issues,
              std::vector<std::string>{"This archive exceeds the safe folder-depth limit."});

    auto bomb = makeZip(folder / "bomb.zip", {{"zeros.bin", std::string(4'000'000, '\0')}});
    const auto assessment = archiveSafetyAssessment(bomb, logicalFileByteSize(bomb));
    EXPECT_EQ(assessment.expandedBytes, 4'000'000);
    EXPECT_EQ(assessment.issues,
              std::vector<std::string>{"This archive exceeds the safe compression-ratio limit and may be a ZIP bomb."});
    // Exactly 200.0 is allowed; no compressed size skips the check.
    EXPECT_TRUE(archiveSafetyAssessment(bomb, 20'000).isSafe());
    EXPECT_FALSE(archiveSafetyAssessment(bomb, 19'999).isSafe());
    EXPECT_TRUE(archiveSafetyAssessment(bomb, 0).isSafe());
}

TEST_F(ArchiveDiagnosisTest, EntryCountLimit) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 20'000; ++i) files.emplace_back("f" + std::to_string(i), "");
    auto zip = makeZip(folder / "many.zip", files, {"-0"});
    EXPECT_TRUE(archiveSafetyAssessment(zip, 0).isSafe());
    writeFile(folder / "extra", "");
    ASSERT_EQ(CommandRunner::run("/usr/bin/zip", {"-q", zip.string(), "extra"}, folder.path()).status, 0);
    const auto assessment = archiveSafetyAssessment(zip, 0);
    EXPECT_EQ(assessment.entries.size(), 20'001u);
    EXPECT_EQ(assessment.issues,
              std::vector<std::string>{"This archive has 20001 entries, above the safe 20000-entry limit."});
}

TEST_F(ArchiveDiagnosisTest, ApkIsRecognisedByContent) {
    auto apk = makeZip(folder / "app.apk", {{"AndroidManifest.xml", "<manifest/>"}});
    EXPECT_EQ(detectKind(apk), FileRepairKind::zipArchive);
    const auto diagnostic = diagnose(apk);
    EXPECT_EQ(diagnostic.kind, FileRepairKind::zipArchive);
    EXPECT_TRUE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.previewItems[0].detail, "APK");
}

TEST_F(ArchiveDiagnosisTest, WithoutUnzipNothingIsListed) {
    FileFirstAidEngine::HiddenToolsForTesting hidden({"unzip", "zip"});
    auto zip = makeZip(folder / "a.zip", {{"a.txt", "a"}});
    const auto diagnostic = diagnose(zip);
    EXPECT_EQ(lines(diagnostic).size(), 3u);
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_FALSE(diagnostic.canExtractReadableContent);
    EXPECT_EQ(diagnostic.toolNotes.back(), "zip/unzip: missing");
    EXPECT_EQ(archiveExpandedBytes(zip), std::nullopt);
    EXPECT_TRUE(readableArchiveEntries(zip).empty());
}

std::vector<std::pair<std::string, std::string>> documentParts(bool withDocument) {
    std::vector<std::pair<std::string, std::string>> parts{
        {"[Content_Types].xml", "<Types/>"}, {"_rels/.rels", "<Relationships/>"}, {"docProps/app.xml", "<x/>"}};
    if (withDocument) parts.emplace_back("word/document.xml", "<w:document/>");
    return parts;
}

TEST_F(ArchiveDiagnosisTest, IntactDocumentIsRepairable) {
    auto docx = makeZip(folder / "letter.docx", documentParts(true));
    EXPECT_EQ(unzipLiteralPattern("[Content_Types].xml"), "\\[Content_Types\\].xml");
    EXPECT_EQ(requiredOfficePartsIssue(docx), std::nullopt);
    const auto diagnostic = diagnose(docx);
    EXPECT_EQ(diagnostic.kind, FileRepairKind::officeDocument);
    const auto found = lines(diagnostic);
    ASSERT_EQ(found.size(), 9u);
    EXPECT_EQ(found[6],
              (Line{"[Content_Types].xml", "Required Office package part is readable.", RepairFindingLevel::ok}));
    EXPECT_EQ(found[8].title, "word/document.xml");
    EXPECT_TRUE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction, repairAction);
}

TEST_F(ArchiveDiagnosisTest, DocumentWithoutMainPartOffersOnlyExtraction) {
    auto docx = makeZip(folder / "letter.docx", documentParts(false));
    const auto diagnostic = diagnose(docx);
    const auto found = lines(diagnostic);
    EXPECT_EQ(found[4], (Line{"Required Office parts",
                              "Cannot create a valid Office copy because these required parts are missing: "
                              "word/document.xml.",
                              RepairFindingLevel::failed}));
    EXPECT_EQ(found[5], (Line{"Required Office content",
                              "One or more required Office package parts cannot be decompressed safely.",
                              RepairFindingLevel::failed}));
    EXPECT_EQ(found.back(),
              (Line{"word/document.xml", "Required Office package part is missing from the readable entry list.",
                    RepairFindingLevel::failed}));
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_TRUE(diagnostic.canExtractReadableContent);
    EXPECT_EQ(diagnostic.recommendedAction, officeAction);
}

TEST_F(ArchiveDiagnosisTest, OfficeRequirementsPerFormat) {
    EXPECT_EQ(requiredOfficeEntries("pptx"),
              (std::vector<std::string>{"[Content_Types].xml", "_rels/.rels", "ppt/presentation.xml"}));
    EXPECT_EQ(requiredOfficeEntries("xlsx").back(), "xl/workbook.xml");
    EXPECT_TRUE(requiredOfficeEntries("zip").empty());
    auto xlsx = makeZip(folder / "book.xlsx",
                        {{"[Content_Types].xml", "<T/>"}, {"_rels/.rels", "<R/>"}, {"xl/workbook.xml", "<w/>"}});
    EXPECT_TRUE(diagnose(xlsx).canAttemptRepair);
    auto pptx = makeZip(folder / "deck.pptx", {{"[Content_Types].xml", "<T/>"}, {"ppt/presentation.xml", "<p/>"}});
    EXPECT_FALSE(diagnose(pptx).canAttemptRepair);
    FileFirstAidEngine::HiddenToolsForTesting hidden({"unzip"});
    {
        testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
        EXPECT_EQ(requiredOfficePartsIssue(xlsx),
                  "Tidewell could not verify the required Office package parts because macOS unzip is unavailable.");
    }
    testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
    EXPECT_EQ(requiredOfficePartsIssue(xlsx),
              "Tidewell could not verify the required Office package parts because the unzip tool is unavailable.");
}

}  // namespace
}  // namespace tidewell
