#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/disk_info_dictionary.h"
#include "platform/mounted_volumes.h"
#include "recovery/readable/external_recovery_volume.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "recovery/readable/recovery_candidate.h"
#include "recovery/readable/recovery_scan_report.h"
#include "util/progress.h"

namespace tidewell {

// Readable-file recovery: finds external sources, lists the readable user
// files on one, and copies a selection to another drive. The source is only
// ever read.
struct ExternalRecoveryEngine {
    struct Limits {
        static constexpr std::int64_t maximumCandidateCount = 25000;
        static constexpr std::int64_t maximumVisitedItems = 300000;
        static constexpr std::int64_t minimumCandidateBytes = 1;
    };

    // what() is the user-facing text.
    class RecoveryError : public std::runtime_error {
    public:
        enum class Case { sourceUnavailable, unsafeDestination, noCandidates, cancelled };

        static RecoveryError sourceUnavailable(const std::string& message) {
            return RecoveryError(Case::sourceUnavailable, message);
        }
        static RecoveryError unsafeDestination(const std::string& message) {
            return RecoveryError(Case::unsafeDestination, message);
        }
        static RecoveryError noCandidates() {
            return RecoveryError(Case::noCandidates, "Select at least one readable file to export.");
        }
        static RecoveryError cancelled() { return RecoveryError(Case::cancelled, "Recovery cancelled."); }

        Case errorCase() const { return case_; }

    private:
        RecoveryError(Case errorCase, const std::string& message) : std::runtime_error(message), case_(errorCase) {}
        Case case_;
    };

    using Token = std::shared_ptr<RecoveryCancellationToken>;

    // Volume discovery.
    static std::vector<ExternalRecoveryVolume> mountedExternalVolumes();
    static ExternalRecoveryVolume manuallySelectedVolume(const std::filesystem::path& url);
    static std::optional<ExternalRecoveryVolume> refreshedVolume(const ExternalRecoveryVolume& volume);

    static platform::DiskInfo diskInfo(const std::filesystem::path& url);
    static bool isExternalVolume(const platform::VolumeResourceValues& values, const platform::DiskInfo& diskInfo);
    static ExternalRecoveryVolume makeVolume(const std::filesystem::path& url,
                                             const platform::VolumeResourceValues& values,
                                             const std::optional<platform::DiskInfo>& diskInfo, bool manuallySelected);

    // Scan and export. `exportCandidates` is the export operation (the word
    // itself is reserved in C++).
    static std::pair<std::vector<RecoveryCandidate>, RecoveryScanReport> scan(
        const ExternalRecoveryVolume& volume, const Token& cancellationToken = nullptr,
        const ProgressCallback& progress = nullptr);
    static std::vector<std::filesystem::path> exportCandidates(const std::vector<RecoveryCandidate>& candidates,
                                                               const ExternalRecoveryVolume& volume,
                                                               const std::filesystem::path& destination,
                                                               const Token& cancellationToken = nullptr,
                                                               const ProgressCallback& progress = nullptr);

    static std::string relativePath(const std::filesystem::path& url, const std::filesystem::path& root);
    static std::filesystem::path uniqueExportDirectory(const ExternalRecoveryVolume& volume,
                                                       const std::filesystem::path& destination);
    static std::filesystem::path uniqueFileURL(const std::filesystem::path& url,
                                               const std::unordered_set<std::string>& existingOutputs);
    // The report file's text, as written beside the exported files.
    static std::string reportText(const ExternalRecoveryVolume& volume, std::size_t exportedCount,
                                  const std::vector<std::string>& warnings, std::chrono::system_clock::time_point date);
};

// The standardised form of a path: absolute, dot segments removed, no trailing "/".
std::filesystem::path standardizedPath(const std::filesystem::path& path);

// Whether the standardised `destination` is the standardised `source` or lies
// below it, compared as given and again with links resolved, so that a
// destination reaching the source through a link counts too.
bool destinationIsOnSource(const std::filesystem::path& source, const std::filesystem::path& destination);

}  // namespace tidewell
