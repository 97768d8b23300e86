#include "recovery/deleted/carving/file_carver.h"

#include <algorithm>

#include "recovery/deleted/carving/structure_walkers.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::FileCarving {

namespace {

CarvedFile judged(const StructureWalk& walk, const RawReader& reader, std::int64_t offset, std::uint32_t cluster,
                  const ContentValidator& validator) {
    CarvedFile file{walk.kind, walk.extension, offset,    cluster, walk.length, CarvedStatus::partial,
                    {},        walk.date,      walk.title};
    if (walk.status != WalkStatus::complete) {
        file.problem = partialStructureProblem;
        return file;
    }
    Validation validation = validator ? validator(walk.kind, reader, offset, walk.length) : Validation{};
    file.status = validation.verdict == Verdict::valid     ? CarvedStatus::good
                  : validation.verdict == Verdict::invalid ? CarvedStatus::partial
                                                           : CarvedStatus::unvalidated;
    file.problem = validation.verdict == Verdict::invalid ? validation.reason : std::string();
    return file;
}

class Carver {
public:
    Carver(const RawReader& reader, const ClusterGeometry& geometry, const CarvingOptions& options,
           const RecoveryCancellationToken* token, const ProgressCallback& progress, std::int64_t totalClusters)
        : reader_(reader),
          geometry_(geometry),
          options_(options),
          token_(token),
          progress_(progress),
          totalClusters_(std::max<std::int64_t>(totalClusters, 1)),
          windowClusters_(
              std::max<std::int64_t>(1, static_cast<std::int64_t>(options.windowBytes) / geometry.clusterSize)) {}

    void run(const ClusterRun& run) {
        const std::int64_t runStart = geometry_.offsetOf(run.first);
        const std::int64_t runEnd = runStart + static_cast<std::int64_t>(run.count) * geometry_.clusterSize;
        const bool seen = options_.seen != nullptr && options_.seen->covers(runStart, runEnd, geometry_.clusterSize);
        std::int64_t index = 0;
        while (index < run.count) {
            DeletedRecovery::throwIfCancelled(token_);
            if (seen) {
                // No file starts in the clusters before the next signature.
                const auto next = options_.seen->nextSignature(runStart + index * geometry_.clusterSize, runEnd,
                                                               geometry_.clusterSize);
                const std::int64_t nextIndex = next ? (*next - runStart) / geometry_.clusterSize : run.count;
                if (nextIndex > index) {
                    advance(run, index, nextIndex - index, false);
                    continue;
                }
            }
            auto cluster = static_cast<std::uint32_t>(run.first + index);
            std::int64_t skipped = 1;
            const std::size_t filesBefore = result_.files.size();
            if (seen || walkerFor(leadingBytes(run, index)) != nullptr) skipped = carveAt(cluster, runEnd);
            skipped = std::min<std::int64_t>(skipped, run.count - index);
            // Each file found is reported at once, so the count by kind runs with the walk.
            advance(run, index, skipped, result_.files.size() != filesBefore);
        }
    }

    CarvingResult result() && { return std::move(result_); }

private:
    // Moves `index` on by `clusters`, reporting progress at window starts, after a file
    // found, at the run's end, and after a jump past a window start.
    void advance(const ClusterRun& run, std::int64_t& index, std::int64_t clusters, bool found) {
        const std::int64_t before = index;
        index += clusters;
        result_.clustersScanned += clusters;
        const bool crossed = clusters > 1 && index / windowClusters_ != before / windowClusters_;
        if (progress_ && (index % windowClusters_ == 0 || found || index == run.count || crossed))
            progress_(static_cast<double>(result_.clustersScanned) / static_cast<double>(totalClusters_),
                      carvingProgressLine(result_.countsByKind));
    }

    // The first bytes of a cluster, from a large window read ahead of the walk.
    std::span<const std::uint8_t> leadingBytes(const ClusterRun& run, std::int64_t index) {
        if (index < windowFirst_ || index >= windowFirst_ + windowCount_ || run.first != windowRun_) {
            windowRun_ = run.first;
            windowFirst_ = index;
            windowCount_ = std::min<std::int64_t>(windowClusters_, run.count - index);
            window_ = reader_.read(geometry_.offsetOf(static_cast<std::uint32_t>(run.first + index)),
                                   static_cast<std::size_t>(windowCount_ * geometry_.clusterSize));
        }
        auto at = static_cast<std::size_t>((index - windowFirst_) * geometry_.clusterSize);
        return std::span<const std::uint8_t>(window_).subspan(at, std::min<std::size_t>(16, window_.size() - at));
    }

    // Carves the file that starts at `cluster`; answers how many clusters to move on.
    std::int64_t carveAt(std::uint32_t cluster, std::int64_t runEnd) {
        std::int64_t offset = geometry_.offsetOf(cluster);
        ByteSource source(reader_, offset, runEnd - offset, options_.windowBytes);
        StructureWalk walk = walkFile(source);
        if (walk.status == WalkStatus::notThisFormat) return 1;
        CarvedFile file = judged(walk, reader_, offset, cluster, options_.validator);
        // A file broken before its first structure ended still shows its first cluster.
        if (file.length <= 0) file.length = std::min(geometry_.clusterSize, runEnd - offset);
        ++result_.countsByKind[file.kind];
        bool trusted = file.status != CarvedStatus::partial;
        std::int64_t clusters = (file.length + geometry_.clusterSize - 1) / geometry_.clusterSize;
        result_.files.push_back(std::move(file));
        return trusted ? std::max<std::int64_t>(clusters, 1) : 1;
    }

    const RawReader& reader_;
    const ClusterGeometry& geometry_;
    const CarvingOptions& options_;
    const RecoveryCancellationToken* token_;
    const ProgressCallback& progress_;
    std::int64_t totalClusters_;
    std::int64_t windowClusters_;
    std::uint32_t windowRun_ = 0;
    std::int64_t windowFirst_ = 0;
    std::int64_t windowCount_ = 0;
    std::vector<std::uint8_t> window_;
    CarvingResult result_;
};

}  // namespace

CarvingResult carve(const RawReader& reader, const ClusterGeometry& geometry, const std::vector<ClusterRun>& runs,
                    const CarvingOptions& options, const RecoveryCancellationToken* cancellationToken,
                    const ProgressCallback& progress) {
    std::int64_t total = 0;
    for (const auto& run : runs) total += run.count;
    Carver carver(reader, geometry, options, cancellationToken, progress, total);
    if (progress) progress(0.0, carvingProgressLine({}));
    for (const auto& run : runs) carver.run(run);
    return std::move(carver).result();
}

std::string carvingProgressLine(const std::map<std::string, int>& countsByKind) {
    std::string line = carvingText;
    for (const auto& [kind, count] : countsByKind) line += " \u00B7 " + kind + " " + std::to_string(count);
    return line;
}

}  // namespace tidewell::FileCarving
