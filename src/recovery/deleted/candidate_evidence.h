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

}  // namespace tidewell::FATDeletedRecoveryEngine
