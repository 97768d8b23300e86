#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "recovery/deleted/deleted_scan_result.h"
#include "recovery/deleted/export_naming.h"
#include "recovery/deleted/partition_table.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/deleted/source_kind.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "util/progress.h"

// A deleted-file source given as bytes (an image file, a partition inside a
// disk image, a partition read through the helper), scanned and exported with
// the engine its boot sector names.
namespace tidewell::DeletedRecovery {

using FATDeletedRecoveryEngine::ScanResult;

// Scans with the FAT32 or exFAT engine; any other source is refused
// (unsupportedSource) with the sentence naming what it is.
ScanResult scanSource(const RawReader& reader, const std::string& sourceName,
                      const RecoveryCancellationToken* cancellationToken = nullptr,
                      const ProgressCallback& progress = {});
std::vector<std::filesystem::path> exportFromSource(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken = nullptr,
                                                    const ProgressCallback& progress = {},
                                                    ExportNaming naming = ExportNaming::entryName);

// What an image file holds: a volume, or a disk with a partition table.
struct DiskImage {
    std::filesystem::path url;
    std::int64_t sizeBytes = 0;
    SourceKind kind = SourceKind::unrecognised;
    std::optional<PartitionTable::Table> table;  // when kind is a partition table

    // Throws unavailableSource when the path is not a readable regular file.
    static DiskImage inspect(const std::filesystem::path& url);

    // The whole image, or partition `number` of its table: throws
    // unsupportedSource when there is no such partition.
    std::shared_ptr<const RawReader> reader(std::optional<int> partition = std::nullopt) const;
    // "card.img", or "card.img partition 2".
    std::string sourceName(std::optional<int> partition = std::nullopt) const;
};

}  // namespace tidewell::DeletedRecovery
