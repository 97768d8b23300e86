#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recovery/readable/recovery_candidate_kind.h"

// The values both deleted-file engines hand out. They live in a namespace of
// their own, so that argument-dependent lookup never finds both engines'
// functions for one call; each engine names them as its own.
namespace tidewell::DeletedRecovery {

enum class Confidence { high, medium, low };

// "High", "Medium", "Low".
std::string rawValue(Confidence confidence);
std::string iconName(Confidence confidence);
// For sorting: high 3, medium 2, low 1.
int confidenceRank(Confidence confidence);

// A deleted file whose bytes may still lie on the medium, as found by a scan
// of a FAT32 or exFAT volume.
struct Candidate {
    std::string id;  // directory label # record offset # start cluster # size
    std::string name;
    RecoveryCandidateKind kind = RecoveryCandidateKind::other;
    std::int64_t sizeBytes = 0;
    std::uint32_t startCluster = 0;
    std::int64_t clustersRequired = 0;
    Confidence confidence = Confidence::low;
    std::optional<std::string> signature;
    bool contentIsValidated = false;
    std::string directoryLocation;
    bool isContiguousAndFree = false;
    std::string sourceFormat;

    // "Deleted FAT32 directory entry · JPEG signature · unallocated run".
    std::string evidenceText() const;

    bool operator==(const Candidate&) const = default;
};

// Higher confidence first, then larger files, then names case-insensitively.
void sortCandidates(std::vector<Candidate>& candidates);

}  // namespace tidewell::DeletedRecovery

namespace tidewell::FATDeletedRecoveryEngine {
using DeletedRecovery::Candidate;
using DeletedRecovery::Confidence;
using DeletedRecovery::confidenceRank;
using DeletedRecovery::iconName;
using DeletedRecovery::rawValue;
using DeletedRecovery::sortCandidates;
}  // namespace tidewell::FATDeletedRecoveryEngine
