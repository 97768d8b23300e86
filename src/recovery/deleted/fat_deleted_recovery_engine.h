#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "recovery/deleted/deleted_candidate.h"
#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/deleted_scan_report.h"
#include "recovery/deleted/deleted_scan_result.h"
#include "recovery/deleted/fat32_layout.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/deleted/recovery_error.h"
#include "recovery/readable/external_recovery_volume.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "util/progress.h"

// Finds files deleted from a FAT32 volume whose bytes may still be intact and
// copies them out. The source is only ever read.
namespace tidewell::FATDeletedRecoveryEngine {

inline constexpr const char* defaultImageSourceName = "FAT32 image";

// A mounted removable volume: checks its file system and device identifier,
// then reads the partition through the privileged read-only reader.
ScanResult scan(const ExternalRecoveryVolume& volume, const RecoveryCancellationToken* cancellationToken = nullptr,
                const ProgressCallback& progress = {});
// A partition image file.
ScanResult scanImage(const std::filesystem::path& url, const std::string& sourceName = defaultImageSourceName,
                     const RecoveryCancellationToken* cancellationToken = nullptr,
                     const ProgressCallback& progress = {});
// Any reader: the breadth-first walk of the live directory tree.
ScanResult scan(const RawReader& reader, const std::string& sourceName,
                const RecoveryCancellationToken* cancellationToken = nullptr, const ProgressCallback& progress = {});

// Export (`export` is a reserved word in C++): copies each selected candidate
// whose run is wholly free into a new folder inside `destination`, with a
// report beside them. Returns the files written, in candidate order. The
// files and the report's lines carry the entry names unless `naming` asks for
// the names the user is shown.
std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates,
                                                    const ExternalRecoveryVolume& volume,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken = nullptr,
                                                    const ProgressCallback& progress = {},
                                                    ExportNaming naming = ExportNaming::entryName);
std::vector<std::filesystem::path> exportImage(const std::vector<Candidate>& candidates,
                                               const std::filesystem::path& imageURL, const std::string& sourceName,
                                               const std::filesystem::path& destination,
                                               const RecoveryCancellationToken* cancellationToken = nullptr,
                                               const ProgressCallback& progress = {},
                                               ExportNaming naming = ExportNaming::entryName);
std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken = nullptr,
                                                    const ProgressCallback& progress = {},
                                                    ExportNaming naming = ExportNaming::entryName);

}  // namespace tidewell::FATDeletedRecoveryEngine
