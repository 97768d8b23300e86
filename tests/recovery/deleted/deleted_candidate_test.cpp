#include <gtest/gtest.h>

#include "recovery/deleted/deleted_candidate.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

TEST(DeletedCandidate, DescribesItsEvidence) {
    Candidate jpeg{.signature = "JPEG", .isContiguousAndFree = true, .sourceFormat = "FAT32"};
    EXPECT_EQ(jpeg.evidenceText(), "Deleted FAT32 directory entry \u00B7 JPEG signature \u00B7 unallocated run");
    Candidate unknown{.sourceFormat = "exFAT"};
    EXPECT_EQ(unknown.evidenceText(), "Deleted exFAT directory entry \u00B7 cluster reuse uncertain");
}

TEST(DeletedCandidate, ConfidenceTexts) {
    EXPECT_EQ(rawValue(Confidence::medium), "Medium");
    EXPECT_EQ(iconName(Confidence::high), "checkmark.seal.fill");
    EXPECT_EQ(iconName(Confidence::low), "questionmark.diamond.fill");
    EXPECT_GT(confidenceRank(Confidence::high), confidenceRank(Confidence::medium));
}

TEST(DeletedCandidate, SortsByConfidenceSizeThenNameIgnoringCase) {
    std::vector<Candidate> candidates{
        {.name = "b.jpg", .sizeBytes = 10, .confidence = Confidence::low},
        {.name = "C.jpg", .sizeBytes = 5, .confidence = Confidence::high},
        {.name = "a.jpg", .sizeBytes = 5, .confidence = Confidence::high},
        {.name = "big.jpg", .sizeBytes = 50, .confidence = Confidence::medium},
        {.name = "huge.jpg", .sizeBytes = 90, .confidence = Confidence::high},
    };
    sortCandidates(candidates);
    std::vector<std::string> names;
    for (const auto& c : candidates) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"huge.jpg", "a.jpg", "C.jpg", "big.jpg", "b.jpg"}));
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
