#include "cleanup/cleanup_candidate.h"

#include <gtest/gtest.h>

#include "util/byte_size_text.h"

namespace tidewell {
namespace {

using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

TEST(CleanupCandidate, KindRawValuesRoundTrip) {
    const std::vector<std::string> expected{
        "App",       "App Link",        "Cache",   "Support",   "Prefs",       "Saved State",      "Logs",
        "Container", "Group Container", "Scripts", "Installer", "LaunchAgent", "Privileged Helper"};
    std::vector<std::string> raw;
    for (Kind kind : allCleanupCandidateKinds) {
        raw.push_back(rawValue(kind));
        EXPECT_EQ(cleanupCandidateKindFromRawValue(raw.back()), kind);
    }
    EXPECT_EQ(raw, expected);
    EXPECT_EQ(cleanupCandidateKindFromRawValue("app"), std::nullopt);
}

TEST(CleanupCandidate, SafetyLevelTexts) {
    std::vector<std::string> raw, actions, symbols;
    for (Safety level : cleanupSafetyLevelSummaryOrder) {
        raw.push_back(rawValue(level));
        actions.push_back(defaultAction(level));
        symbols.push_back(symbolName(level));
        EXPECT_EQ(cleanupSafetyLevelFromRawValue(raw.back()), level);
    }
    EXPECT_EQ(raw, (std::vector<std::string>{"Safe match", "Likely related", "Review needed", "Protected"}));
    EXPECT_EQ(actions,
              (std::vector<std::string>{"Selected by default", "Selected by default", "Not selected", "Locked"}));
    EXPECT_EQ(symbols, (std::vector<std::string>{"checkmark.shield.fill", "checkmark.circle.fill",
                                                 "questionmark.circle.fill", "lock.fill"}));
    EXPECT_EQ(cleanupSafetyLevelFromRawValue("Safe"), std::nullopt);
}

TEST(CleanupCandidate, SizeText) {
    CleanupCandidate candidate;
    candidate.sizeBytes = 4096;
    EXPECT_EQ(candidate.sizeText(), tidewellString(std::int64_t{4096}));
}

}  // namespace
}  // namespace tidewell
