#include <gtest/gtest.h>

#include "recovery/readable/external_recovery_volume.h"
#include "recovery/readable/localized_name_order.h"
#include "recovery/readable/recovery_candidate.h"
#include "recovery/readable/recovery_scan_report.h"
#include "recovery/readable/recovery_scan_state.h"
#include "util/byte_size_text.h"

namespace tidewell {
namespace {

using namespace std::chrono_literals;

TEST(RecoveryScanReportTest, DurationTextInWholeSecondsAndMinutes) {
    RecoveryScanReport report;
    report.startedAt = std::chrono::system_clock::now();
    auto after = [&](std::chrono::milliseconds elapsed) {
        report.finishedAt = report.startedAt + elapsed;
        return report.durationText();
    };
    EXPECT_EQ(after(0ms), "1s");
    EXPECT_EQ(after(-5000ms), "1s");
    EXPECT_EQ(after(1999ms), "1s");
    EXPECT_EQ(after(59999ms), "59s");
    EXPECT_EQ(after(60000ms), "1m 0s");
    EXPECT_EQ(after(125000ms), "2m 5s");
}

TEST(RecoveryCandidateTest, DerivedTexts) {
    RecoveryCandidate candidate{"/media/CARD/DCIM/../DCIM/IMG_0001.JPG", "DCIM/IMG_0001.JPG",
                                RecoveryCandidateKind::photo, 2048, std::nullopt};
    EXPECT_EQ(candidate.id(), "/media/CARD/DCIM/IMG_0001.JPG");
    EXPECT_EQ(candidate.name(), "IMG_0001.JPG");
    EXPECT_EQ(candidate.sizeText(), tidewellString(std::int64_t{2048}));
    EXPECT_EQ(candidate.modifiedText(), "Unknown");
    auto now = std::chrono::system_clock::now();
    candidate.modifiedDate = now - 3h;
    EXPECT_NE(candidate.modifiedText(), "Unknown");

    RecoveryCandidate copy = candidate;
    EXPECT_EQ(copy, candidate);
    EXPECT_EQ(std::hash<RecoveryCandidate>()(copy), std::hash<RecoveryCandidate>()(candidate));
    copy.sizeBytes = 1;
    EXPECT_NE(copy, candidate);
}

TEST(RecoveryScanStateTest, LabelsTintsAndEquality) {
    EXPECT_EQ(RecoveryScanState::idle().label(), "Ready");
    EXPECT_EQ(RecoveryScanState::scanning().label(), "Scanning");
    EXPECT_EQ(RecoveryScanState::exporting().label(), "Exporting");
    EXPECT_EQ(RecoveryScanState::completed().label(), "Complete");
    EXPECT_EQ(RecoveryScanState::failed("x").label(), "Needs attention");
    EXPECT_TRUE(RecoveryScanState::failed("x").isFailure());
    EXPECT_FALSE(RecoveryScanState::completed().isFailure());
    EXPECT_EQ(RecoveryScanState::idle().tint(), RecoveryScanTint::secondaryText);
    EXPECT_EQ(RecoveryScanState::scanning().tint(), RecoveryScanTint::blue);
    EXPECT_EQ(RecoveryScanState::exporting().tint(), RecoveryScanTint::blue);
    EXPECT_EQ(RecoveryScanState::completed().tint(), RecoveryScanTint::teal);
    EXPECT_EQ(RecoveryScanState::failed("x").tint(), RecoveryScanTint::orange);
    EXPECT_EQ(RecoveryScanState::failed("x"), RecoveryScanState::failed("x"));
    EXPECT_NE(RecoveryScanState::failed("x"), RecoveryScanState::failed("y"));
    EXPECT_NE(RecoveryScanState::idle(), RecoveryScanState::completed());
}

TEST(ExternalRecoveryVolumeTest, DescribesItselfAndHashesByValue) {
    ExternalRecoveryVolume volume{
        "/media/CARD#sdb1", "CARD", "/media/CARD", "sdb1", "vfat", 2048, 1024, true, false, false};
    EXPECT_EQ(volume.sourceDescription(), "vfat \u00B7 " + tidewellString(std::int64_t{2048}) + " \u00B7 sdb1");
    ExternalRecoveryVolume manual = volume;
    manual.deviceIdentifier.reset();
    EXPECT_EQ(manual.sourceDescription(), "vfat \u00B7 " + manual.totalText());
    EXPECT_EQ(manual.availableText(), tidewellString(std::int64_t{1024}));
    EXPECT_NE(manual, volume);
    ExternalRecoveryVolume copy = volume;
    EXPECT_EQ(std::hash<ExternalRecoveryVolume>()(copy), std::hash<ExternalRecoveryVolume>()(volume));
}

TEST(LocalizedNameOrderTest, IgnoresCaseThenFallsBackToBytes) {
    EXPECT_TRUE(localizedCaseInsensitiveLess("Archive", "backup"));
    EXPECT_FALSE(localizedCaseInsensitiveLess("backup", "Archive"));
    EXPECT_TRUE(localizedCaseInsensitiveLess("img", "IMG_2"));
    EXPECT_TRUE(localizedCaseInsensitiveLess("IMG", "img"));
    EXPECT_EQ(localizedCaseInsensitiveCompare("Same", "Same"), 0);
    // Cut-off UTF-8 sequences compare as bytes rather than being read past.
    EXPECT_TRUE(localizedCaseInsensitiveLess("a\xC3", "b"));
    EXPECT_TRUE(localizedCaseInsensitiveLess("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89 2"));
}

}  // namespace
}  // namespace tidewell
