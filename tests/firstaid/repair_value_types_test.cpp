#include <gtest/gtest.h>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/file_repair_job.h"
#include "firstaid/repair_finding.h"
#include "firstaid/repair_history_record.h"
#include "firstaid/repair_states.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

TEST(FileRepairKindTest, RawValuesSymbolsAndDecoding) {
    std::vector<std::string> raws, symbols;
    for (auto kind : allFileRepairKinds) {
        raws.push_back(rawValue(kind));
        symbols.push_back(symbol(kind));
        EXPECT_EQ(fileRepairKindFromRawValue(rawValue(kind)), kind);
        EXPECT_EQ(label(kind), rawValue(kind));
    }
    EXPECT_EQ(raws, (std::vector<std::string>{"ZIP Archive", "Office Document", "PDF", "MP4/MOV", "Image", "Audio",
                                              "Unsupported"}));
    EXPECT_EQ(symbols, (std::vector<std::string>{"archivebox", "doc.richtext", "doc.text", "film", "photo", "waveform",
                                                 "questionmark.folder"}));
    EXPECT_EQ(fileRepairKindFromRawValue("zip archive"), std::nullopt);
    EXPECT_EQ(fileRepairKindFromRawValue(""), std::nullopt);
}

TEST(FileRepairKindTest, ExtensionTable) {
    EXPECT_EQ(fileRepairKindForExtension("docx"), FileRepairKind::officeDocument);
    EXPECT_EQ(fileRepairKindForExtension("zip"), FileRepairKind::zipArchive);
    EXPECT_EQ(fileRepairKindForExtension("m4v"), FileRepairKind::videoContainer);
    EXPECT_EQ(fileRepairKindForExtension("heic"), FileRepairKind::imageFile);
    EXPECT_EQ(fileRepairKindForExtension("aiff"), FileRepairKind::audioFile);
    EXPECT_EQ(fileRepairKindForExtension("apk"), std::nullopt);
    EXPECT_EQ(fileRepairKindForExtension("tif"), std::nullopt);
}

TEST(RepairStatesTest, PhasesOutcomesAndStages) {
    std::vector<std::string> raws;
    std::vector<ThemeTint> tints;
    for (auto phase : allRepairTaskPhases) {
        raws.push_back(rawValue(phase));
        tints.push_back(tint(phase));
        EXPECT_EQ(repairTaskPhaseFromRawValue(rawValue(phase)), phase);
    }
    EXPECT_EQ(raws, (std::vector<std::string>{"Queued", "Diagnosing", "Ready", "Repairing", "Verifying", "Repaired",
                                              "Partially recovered", "Could not repair", "Cancelled"}));
    using enum ThemeTint;
    EXPECT_EQ(tints, (std::vector<ThemeTint>{themeBlue, themeBlue, themeTeal, themeBlue, themeBlue, themeTeal, orange,
                                             red, red}));
    EXPECT_EQ(repairOutcomeStateFromRawValue("Partially recovered"), RepairOutcomeState::partial);
    EXPECT_EQ(repairOutcomeStateFromRawValue("Ready"), std::nullopt);
    EXPECT_EQ(rawValue(RepairOutcomeState::repaired), "Repaired");
    EXPECT_EQ(rawValue(RepairOutcomeState::failed), "Could not repair");
    EXPECT_EQ(repairProgressStageFromRawValue("Verifying"), RepairProgressStage::verifying);
    EXPECT_EQ(rawValue(RepairProgressStage::repairing), "Repairing");
    EXPECT_EQ(repairProgressStageFromRawValue("Queued"), std::nullopt);
}

TEST(RepairFindingTest, LevelsAndIdentity) {
    EXPECT_EQ(rawValue(RepairFindingLevel::ok), "Found");
    EXPECT_EQ(label(RepairFindingLevel::warning), "Needs review");
    EXPECT_EQ(rawValue(RepairFindingLevel::failed), "Missing");
    EXPECT_EQ(repairFindingLevelFromRawValue("Info"), RepairFindingLevel::info);
    EXPECT_EQ(symbol(RepairFindingLevel::ok), "checkmark.circle.fill");
    EXPECT_EQ(symbol(RepairFindingLevel::warning), "exclamationmark.triangle.fill");
    EXPECT_EQ(symbol(RepairFindingLevel::failed), "xmark.circle.fill");
    EXPECT_EQ(symbol(RepairFindingLevel::info), "info.circle.fill");
    EXPECT_EQ(tint(RepairFindingLevel::ok), ThemeTint::themeTeal);
    EXPECT_EQ(tint(RepairFindingLevel::warning), ThemeTint::orange);
    EXPECT_EQ(tint(RepairFindingLevel::failed), ThemeTint::red);
    EXPECT_EQ(tint(RepairFindingLevel::info), ThemeTint::themeBlue);

    RepairFinding first("Central directory", "Present.", RepairFindingLevel::ok);
    RepairFinding second("Central directory", "Present.", RepairFindingLevel::ok);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, RepairFinding(first));
    EXPECT_NE(RepairPreviewItem("Pages", "1", "doc.text"), RepairPreviewItem("Pages", "1", "doc.text"));
}

TEST(FileRepairJobTest, NewJobTitleAndSubtitle) {
    FileRepairJob job("/tmp/Reports/backup.tar");
    EXPECT_EQ(job.phase, RepairTaskPhase::queued);
    EXPECT_EQ(job.statusText, "Waiting");
    EXPECT_EQ(job.progress, 0);
    EXPECT_FALSE(job.diagnostic || job.outcome || job.errorMessage);
    EXPECT_EQ(job.title(), "backup.tar");
    EXPECT_EQ(job.subtitle(), "TAR");
    EXPECT_EQ(FileRepairJob("/tmp/README").subtitle(), "File");
    EXPECT_NE(FileRepairJob("/tmp/a").id, FileRepairJob("/tmp/a").id);

    FileRepairDiagnostic diagnostic;
    diagnostic.kind = FileRepairKind::pdfDocument;
    job.diagnostic = diagnostic;
    EXPECT_EQ(job.subtitle(), "PDF");
}

TEST(RepairHistoryRecordTest, OutputResolvesFromBookmark) {
    testing::TemporaryFolder folder;
    RepairHistoryRecord record;
    EXPECT_EQ(record.outputURL(), std::nullopt);
    EXPECT_FALSE(record.outputExists());
    record.outputBookmark = makeOutputBookmark(folder / "out.pdf");
    EXPECT_EQ(record.outputURL(), folder / "out.pdf");
    EXPECT_FALSE(record.outputExists());
    testing::writeFile(folder / "out.pdf", "x");
    EXPECT_TRUE(record.outputExists());
}

TEST(SupportedTypesTest, ExtensionsAndContentTypes) {
    const auto& extensions = FileFirstAidEngine::supportedExtensions();
    EXPECT_EQ(extensions,
              (std::vector<std::string>{"zip",  "apk", "pdf",  "pptx", "docx", "xlsx", "mp4", "mov", "m4v", "jpg",
                                        "jpeg", "png", "heic", "tiff", "gif",  "mp3",  "m4a", "aac", "wav", "aiff"}));
    const auto types = FileFirstAidEngine::supportedContentTypes();
    EXPECT_EQ(types.size(), 19u);  // jpg and jpeg share image/jpeg
    EXPECT_EQ(types.front(), "application/zip");
    EXPECT_EQ(types[1], "application/vnd.android.package-archive");
    EXPECT_EQ(types.back(), "audio/x-aiff");
}

}  // namespace
}  // namespace tidewell
