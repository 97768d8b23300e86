#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "recovery/deleted/carving/byte_source.h"
#include "recovery/deleted/carving/carved_file.h"
#include "recovery/deleted/carving/content_validation.h"
#include "recovery/deleted/carving/signature_starts.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "util/progress.h"

namespace tidewell::FileCarving {

// Where clusters lie in the volume: cluster `firstCluster` starts at `heapOffset`.
struct ClusterGeometry {
    std::int64_t heapOffset = 0;
    std::int64_t clusterSize = 4096;
    std::uint32_t firstCluster = 2;

    std::int64_t offsetOf(std::uint32_t cluster) const {
        return heapOffset + static_cast<std::int64_t>(cluster - firstCluster) * clusterSize;
    }
    bool operator==(const ClusterGeometry&) const = default;
};

// Consecutive clusters to carve: the caller's unallocated runs, or all clusters.
struct ClusterRun {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    bool operator==(const ClusterRun&) const = default;
};

struct CarvingOptions {
    // Judges structurally complete files; without one they stay unvalidated.
    ContentValidator validator;
    std::size_t windowBytes = ByteSource::defaultWindowBytes;
    // The cluster starts an earlier pass already read: a run it saw whole is walked from
    // one signature to the next without reading the clusters between them again.
    const SignatureStarts* seen = nullptr;
};

struct CarvingResult {
    std::vector<CarvedFile> files;  // in volume order
    std::map<std::string, int> countsByKind;
    std::int64_t clustersScanned = 0;
    bool operator==(const CarvingResult&) const = default;
};

inline constexpr const char* partialStructureProblem = "The file's structure ends early or breaks off.";

// Walks the runs cluster by cluster; at each cluster start that carries a
// known signature it follows that format's structure, assuming the file is
// contiguous and ends no later than its run. A good or unvalidated file's
// clusters are skipped; after a partial one the walk goes on at the next
// cluster, since its extent is not to be trusted. Throws RecoveryError
// (cancelled, or a failed read).
CarvingResult carve(const RawReader& reader, const ClusterGeometry& geometry, const std::vector<ClusterRun>& runs,
                    const CarvingOptions& options = {}, const RecoveryCancellationToken* cancellationToken = nullptr,
                    const ProgressCallback& progress = {});

inline constexpr const char* carvingText = "Looking for files by their contents";

// "Looking for files by their contents · JPEG 3 · PDF 1", kinds in name order: each part
// is a text of its own, so the interface can translate the first and keep the kinds.
std::string carvingProgressLine(const std::map<std::string, int>& countsByKind);

}  // namespace tidewell::FileCarving
