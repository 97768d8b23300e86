#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "util/progress.h"

namespace tidewell::DeletedRecoveryQAAcceptance {

// Whether an exported file still starts like the signature the scan saw: the
// byte test of that signature name ("ISO media" needs only "ftyp" at bytes
// 4-7); for no signature or an unknown name the data must merely be non-empty.
bool signatureMatches(const std::optional<std::string>& signature, std::span<const std::uint8_t> data);

}  // namespace tidewell::DeletedRecoveryQAAcceptance

namespace tidewell::acceptance {

// A count option as a decimal integer: absent or unparsable counts as 1, and
// the result is at least 1.
std::int64_t countOption(const std::string& name, const std::vector<std::string>& arguments);

// Prints "<prefix><whole percent>% <status text>" to standard output.
ProgressCallback printingProgress(const std::string& prefix);

// A file-system name the FAT32 engine reads: "fat" in it or "msdos", but not
// exFAT, which the name test alone would let through.
bool isFAT32FileSystemName(const std::string& fileSystem);

// Writes "FAIL: " + message + line feed to standard error; returns the status.
std::int32_t fail(const std::string& message, std::int32_t status);

// Writes the usage line to standard error; returns 64.
std::int32_t usage(const std::string& line);

// The whole file; throws std::system_error when it cannot be read.
std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& path);

}  // namespace tidewell::acceptance
