#pragma once

#include <filesystem>
#include <string>

namespace tidewell::RecoveryQAAcceptance {

// The SHA-256 tool the folder run checks exports with; it prints the digest
// as the first white-space-separated field.
inline constexpr const char* defaultDigestTool = "/usr/bin/sha256sum";

std::string digestTool();
// Tests point the run at a stand-in tool.
void setDigestTool(const std::string& executable);

// The SHA-256 of a file as lower-case hexadecimal text. The runner's own
// errors propagate; a failing tool or empty output throws
// RecoveryError::sourceUnavailable("Could not checksum {file name}.").
std::string digest(const std::filesystem::path& url);

}  // namespace tidewell::RecoveryQAAcceptance
