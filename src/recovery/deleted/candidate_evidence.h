#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recovery/deleted/deleted_candidate.h"

namespace tidewell::FATDeletedRecoveryEngine {

// What the first bytes of a deleted file's assumed run say about it.
struct CandidateEvidence {
    RecoveryCandidateKind kind = RecoveryCandidateKind::other;
    std::optional<std::string> signature;
    bool contentIsValidated = false;
    Confidence confidence = Confidence::low;
};

// Reads `length` bytes from the start of the candidate's run.
using RunReader = std::function<std::vector<std::uint8_t>(std::int64_t length)>;

// Grades a deleted entry named `entryName` of `sizeBytes` bytes: the kind from
// its name (or from its signature when the name says nothing), a preview read
// for the signature, a whole-file read for image validation when that can
// succeed. None when neither name nor content says what the file is.
std::optional<CandidateEvidence> gatherEvidence(const std::string& entryName, std::int64_t sizeBytes,
                                                std::int64_t bytesPerCluster, bool contiguousFree,
                                                const RunReader& readRun);

// A deleted directory entry whose run lies inside the volume.
struct DeletedEntry {
    std::string id;
    std::string entryName;  // as the directory tells it
    std::optional<std::string> longName;
    std::optional<std::string> restoredShortName;
    std::uint32_t startCluster = 0;
    std::int64_t sizeBytes = 0;
    std::int64_t clustersRequired = 0;
    std::string directoryLocation;
    bool contiguousFree = false;
    std::string sourceFormat;  // "FAT32" or "exFAT"
};

// The candidate for a deleted entry, graded by gatherEvidence; none when
// neither its name nor its content says what the file is.
std::optional<Candidate> makeCandidate(const DeletedEntry& entry, std::int64_t bytesPerCluster,
                                       const RunReader& readRun);

}  // namespace tidewell::FATDeletedRecoveryEngine
