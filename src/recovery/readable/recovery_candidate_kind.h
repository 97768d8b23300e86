#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

enum class RecoveryCandidateKind { photo, video, document, audio, archive, other };

namespace RecoveryCandidateKinds {

inline constexpr std::array<RecoveryCandidateKind, 6> allCases{
    RecoveryCandidateKind::photo, RecoveryCandidateKind::video,   RecoveryCandidateKind::document,
    RecoveryCandidateKind::audio, RecoveryCandidateKind::archive, RecoveryCandidateKind::other};

// "Photo", "Video", "Document", "Audio", "Archive", "Other".
std::string rawValue(RecoveryCandidateKind kind);
// Exactly the six raw values, case-sensitive.
std::optional<RecoveryCandidateKind> fromRawValue(std::string_view raw);
// The symbol name shown beside the kind.
std::string symbol(RecoveryCandidateKind kind);
// By the last path extension, lower-cased; no content sniffing.
RecoveryCandidateKind detect(const std::filesystem::path& url);

}  // namespace RecoveryCandidateKinds

}  // namespace tidewell
