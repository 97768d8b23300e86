#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "recovery/deleted/exfat_layout.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"

// Finds files deleted from an exFAT volume that were stored as one contiguous
// run, and copies them out. Shares the FAT32 engine's candidates, report,
// errors, signatures, naming and export frame. The source is only ever read.
namespace tidewell::ExFATDeletedRecoveryEngine {

namespace Limits {
using namespace FATDeletedRecoveryEngine::Limits;
inline constexpr std::int64_t maximumBitmapBytes = 33'554'432;
}  // namespace Limits

using FATDeletedRecoveryEngine::Candidate;
using FATDeletedRecoveryEngine::RecoveryError;
using FATDeletedRecoveryEngine::Report;
using FATDeletedRecoveryEngine::ScanResult;

inline constexpr const char* defaultImageSourceName = "exFAT image";
inline constexpr const char* shortReadMessage =
    "The recovery image ended before the requested exFAT sector could be read.";

ScanResult scan(const ExternalRecoveryVolume& volume, const RecoveryCancellationToken* cancellationToken = nullptr,
                const ProgressCallback& progress = {});
ScanResult scanImage(const std::filesystem::path& url, const std::string& sourceName = defaultImageSourceName,
                     const RecoveryCancellationToken* cancellationToken = nullptr,
                     const ProgressCallback& progress = {});
ScanResult scan(const RawReader& reader, const std::string& sourceName,
                const RecoveryCancellationToken* cancellationToken = nullptr, const ProgressCallback& progress = {});

// Export (`export` is a reserved word in C++), as the FAT32 engine's.
std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates,
                                                    const ExternalRecoveryVolume& volume,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken = nullptr,
                                                    const ProgressCallback& progress = {});
std::vector<std::filesystem::path> exportImage(const std::vector<Candidate>& candidates,
                                               const std::filesystem::path& imageURL, const std::string& sourceName,
                                               const std::filesystem::path& destination,
                                               const RecoveryCancellationToken* cancellationToken = nullptr,
                                               const ProgressCallback& progress = {});
std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken = nullptr,
                                                    const ProgressCallback& progress = {});

}  // namespace tidewell::ExFATDeletedRecoveryEngine
