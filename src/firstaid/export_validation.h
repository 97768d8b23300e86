#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "firstaid/file_repair_kind.h"

// Reopens every exported output with an independent reader before it is kept.
namespace tidewell::FileFirstAidEngine {

struct ValidationResult {
    bool ok = false;
    std::vector<std::string> warnings;
    bool operator==(const ValidationResult&) const = default;
};

// Never throws; sourceURL is only used to compare media durations.
ValidationResult validateOutput(const std::filesystem::path& output, FileRepairKind kind,
                                const std::optional<std::filesystem::path>& sourceURL);

// Deletes a rejected output and throws RepairError (writeFailed).
void requireValidatedExport(const ValidationResult& result, const std::filesystem::path& outputURL);

// Throws RepairError (toolFailed) for a link, an item outside root, or more than maximumBytes in files.
void validateExtractedTree(const std::filesystem::path& root, std::int64_t maximumBytes);

// The media checks of an exported video or audio copy.
ValidationResult validateMedia(const std::filesystem::path& output, FileRepairKind kind,
                               const std::optional<std::filesystem::path>& sourceURL);
// True when the durations differ by no more than max(2 s, 2 % of the source).
bool durationWithinTolerance(double sourceSeconds, double outputSeconds);

}  // namespace tidewell::FileFirstAidEngine
