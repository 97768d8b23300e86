#include "recovery/deleted/deleted_export.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/privileged_device_reader.h"

namespace tidewell::FATDeletedRecoveryEngine {

std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken,
                                                    const ProgressCallback& progress, ExportNaming naming) {
    if (candidates.empty()) throw RecoveryError::noCandidates();
    Layout layout = readLayout(reader);
    auto clusterOffset = [&](std::uint32_t cluster) { return layout.offset(cluster); };
    return exportCandidateRuns(candidates, reader, clusterOffset, sourceName, destination, fat32ExportTexts(),
                               cancellationToken, progress, naming);
}

std::vector<std::filesystem::path> exportImage(const std::vector<Candidate>& candidates,
                                               const std::filesystem::path& imageURL, const std::string& sourceName,
                                               const std::filesystem::path& destination,
                                               const RecoveryCancellationToken* cancellationToken,
                                               const ProgressCallback& progress, ExportNaming naming) {
    return exportCandidates(candidates, FileReader(imageURL), sourceName, destination, cancellationToken, progress,
                            naming);
}

std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates,
                                                    const ExternalRecoveryVolume& volume,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken,
                                                    const ProgressCallback& progress, ExportNaming naming) {
    checkLiveExportDestination(volume, destination);
    return exportCandidates(candidates, PrivilegedDeviceReader(*volume.deviceIdentifier), volume.name, destination,
                            cancellationToken, progress, naming);
}

}  // namespace tidewell::FATDeletedRecoveryEngine
