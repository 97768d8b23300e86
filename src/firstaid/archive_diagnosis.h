#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "firstaid/file_repair_diagnostic.h"
#include "process/command_runner.h"

// ZIP and Office package checks; listings and tests go through unzip.
namespace tidewell::FileFirstAidEngine {

struct ArchiveSafetyAssessment {
    std::vector<std::string> entries;  // as listed by unzip -Z1
    std::int64_t expandedBytes = 0;    // 0 when no listing gave the sizes (then never safe)
    std::vector<std::string> issues;   // one sentence per violated limit
    bool isSafe() const { return issues.empty(); }
    bool operator==(const ArchiveSafetyAssessment&) const = default;
};

FileRepairDiagnostic diagnoseArchive(const std::filesystem::path& url, FileRepairKind kind, std::int64_t sizeBytes);

ArchiveSafetyAssessment archiveSafetyAssessment(const std::filesystem::path& url, std::int64_t compressedBytes);
// The same over an entry list already read with readableArchiveEntries.
ArchiveSafetyAssessment archiveSafetyAssessment(const std::filesystem::path& url, std::int64_t compressedBytes,
                                                std::vector<std::string> listed);
std::vector<std::string> readableArchiveEntries(const std::filesystem::path& url);
// The entries of one "unzip -Z1" run: listed only when it exited with status 0.
std::vector<std::string> listedEntries(const std::optional<CommandOutput>& listing);
bool isUnsafeArchiveEntry(const std::string& name);
bool archiveHasSymbolicLinkOrEncryption(const std::filesystem::path& url);
// The sum of the entries' uncompressed sizes from unzip's listing, or zipinfo's when unzip
// cannot list the archive; none when neither lists it (or unzip is missing).
std::optional<std::int64_t> archiveExpandedBytes(const std::filesystem::path& url);

// Office packages.
std::vector<std::string> requiredOfficeEntries(const std::string& extension);
std::optional<std::string> requiredOfficePartsIssue(const std::filesystem::path& url);
std::vector<RepairFinding> officeFindings(const std::filesystem::path& url, const std::vector<std::string>& entries);
// A part name as unzip reads it: its wildcard characters escaped.
std::string unzipLiteralPattern(const std::string& name);

std::vector<RepairPreviewItem> archivePreviewItems(const std::filesystem::path& url,
                                                   const std::vector<std::string>& entries);

}  // namespace tidewell::FileFirstAidEngine
