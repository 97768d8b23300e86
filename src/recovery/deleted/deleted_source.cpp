#include "recovery/deleted/deleted_source.h"

#include <system_error>

#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/slice_reader.h"

namespace tidewell::DeletedRecovery {

namespace {

namespace fs = std::filesystem;

SourceKind recoverableKind(const RawReader& reader, const std::string& sourceName) {
    const SourceKind kind = detectSourceKind(reader);
    if (auto message = unsupportedSourceMessage(kind, sourceName)) throw RecoveryError::unsupportedSource(*message);
    return kind;
}

}  // namespace

ScanResult scanSource(const RawReader& reader, const std::string& sourceName,
                      const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress) {
    if (recoverableKind(reader, sourceName) == SourceKind::exfat)
        return ExFATDeletedRecoveryEngine::scan(reader, sourceName, cancellationToken, progress);
    return FATDeletedRecoveryEngine::scan(reader, sourceName, cancellationToken, progress);
}

std::vector<fs::path> exportFromSource(const std::vector<Candidate>& candidates, const RawReader& reader,
                                       const std::string& sourceName, const fs::path& destination,
                                       const RecoveryCancellationToken* cancellationToken,
                                       const ProgressCallback& progress, ExportNaming naming) {
    if (recoverableKind(reader, sourceName) == SourceKind::exfat)
        return ExFATDeletedRecoveryEngine::exportCandidates(candidates, reader, sourceName, destination,
                                                            cancellationToken, progress);
    return FATDeletedRecoveryEngine::exportCandidates(candidates, reader, sourceName, destination, cancellationToken,
                                                      progress, naming);
}

DiskImage DiskImage::inspect(const fs::path& url) {
    std::error_code error;
    if (!fs::is_regular_file(url, error))
        throw RecoveryError::unavailableSource("Choose a disk or partition image file, not a folder.");
    DiskImage image;
    image.url = url;
    image.sizeBytes = static_cast<std::int64_t>(fs::file_size(url));
    const FileReader reader(url);
    image.kind = detectSourceKind(reader);
    if (image.kind == SourceKind::mbrPartitionTable || image.kind == SourceKind::gptPartitionTable)
        image.table = PartitionTable::read(reader, image.sizeBytes);
    return image;
}

std::shared_ptr<const RawReader> DiskImage::reader(std::optional<int> partition) const {
    // A short exFAT image says so in the exFAT engine's words, as its own image scan does.
    auto whole =
        std::make_shared<FileReader>(url, kind == SourceKind::exfat ? ExFATDeletedRecoveryEngine::shortReadMessage
                                                                    : FileReader::fat32ShortReadMessage);
    if (!partition) return whole;
    if (table)
        for (const PartitionTable::Partition& listed : table->partitions)
            if (listed.number == *partition)
                return std::make_shared<SliceReader>(whole, listed.startOffset, listed.sizeBytes);
    throw RecoveryError::unsupportedSource(url.filename().string() + " has no partition " + std::to_string(*partition) +
                                           ".");
}

std::string DiskImage::sourceName(std::optional<int> partition) const {
    std::string name = url.filename().string();
    return partition ? name + " partition " + std::to_string(*partition) : name;
}

}  // namespace tidewell::DeletedRecovery
