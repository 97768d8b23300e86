#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "recovery/readable/recovery_candidate_kind.h"

namespace tidewell {

// One readable file found on a source by the scan.
struct RecoveryCandidate {
    std::filesystem::path sourceURL;  // as the walk produced it
    std::string relativePath;         // below the source root, "/"-separated
    RecoveryCandidateKind kind = RecoveryCandidateKind::other;
    std::int64_t sizeBytes = 0;
    std::optional<std::chrono::system_clock::time_point> modifiedDate;

    // The standardised path of sourceURL.
    std::string id() const;
    // The last path component of sourceURL.
    std::string name() const;
    std::string sizeText() const;
    // The relative-date text of modifiedDate, or "Unknown".
    std::string modifiedText() const;

    bool operator==(const RecoveryCandidate&) const = default;
};

}  // namespace tidewell

template <>
struct std::hash<tidewell::RecoveryCandidate> {
    std::size_t operator()(const tidewell::RecoveryCandidate& candidate) const noexcept;
};
