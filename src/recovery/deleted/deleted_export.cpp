#include "recovery/deleted/deleted_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <system_error>

#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/recovered_names.h"
#include "recovery/deleted/recovery_error.h"
#include "recovery/readable/external_recovery_engine.h"
#include "util/atomic_file.h"
#include "util/file_descriptor.h"

namespace tidewell::FATDeletedRecoveryEngine {

namespace {

// A new file for writing, closed on every path. O_EXCL: an export never
// replaces anything, even a file that appeared after the name was chosen.
class NewFile {
public:
    explicit NewFile(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) {
        if (fd_.get() < 0) throw std::system_error(errno, std::generic_category(), "Could not create " + path.string());
    }

    void append(const std::vector<std::uint8_t>& bytes) {
        std::size_t written = 0;
        while (written < bytes.size()) {
            ssize_t count = ::write(fd_.get(), bytes.data() + written, bytes.size() - written);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) throw std::system_error(errno, std::generic_category(), "Could not write");
            written += static_cast<std::size_t>(count);
        }
    }

private:
    FileDescriptor fd_;
};

// Made absolute first by the throwing call: a path that cannot be (an empty
// one) ends the export instead of being compared as it stands.
std::filesystem::path standardized(const std::filesystem::path& path) {
    return standardizedPath(std::filesystem::absolute(path));
}

// The device of the file system that would hold `path`: that of its nearest
// existing folder, since the export folder is made later.
std::optional<dev_t> deviceHolding(std::filesystem::path path) {
    for (;;) {
        struct stat facts {};
        if (::stat(path.c_str(), &facts) == 0) return facts.st_dev;
        if (path == path.parent_path()) return std::nullopt;
        path = path.parent_path();
    }
}

// The device mounted at `mountPoint`; none when the folder is missing or is no
// mount point (then it shares its parent's device, and the rule would refuse
// every folder beside it).
std::optional<dev_t> mountedDevice(const std::filesystem::path& mountPoint) {
    struct stat mount {};
    struct stat parent {};
    if (::stat(mountPoint.c_str(), &mount) != 0 || ::stat(mountPoint.parent_path().c_str(), &parent) != 0)
        return std::nullopt;
    if (mount.st_dev == parent.st_dev && mountPoint != mountPoint.parent_path()) return std::nullopt;
    return mount.st_dev;
}

void writeReportQuietly(const std::filesystem::path& folder, const std::string& text) {
    try {
        writeFileAtomically(folder / exportReportFileName, text);
    } catch (const std::exception&) {
        // The recovered files matter more than the report: its failure is ignored.
    }
}

}  // namespace

void checkLiveExportDestination(const ExternalRecoveryVolume& volume, const std::filesystem::path& destination) {
    if (!volume.deviceIdentifier)
        throw RecoveryError::unavailableSource("Tidewell could not identify the raw device behind " + volume.name +
                                               ".");
    // Writing onto the medium being undeleted can overwrite the very clusters
    // being rescued: refuse paths under the mount, also through links, and any
    // folder whose file system lives on the source partition itself.
    auto target = standardized(destination);
    auto source = standardized(volume.mountURL);
    auto sourceDevice = mountedDevice(source);
    if (destinationIsOnSource(source, target) || (sourceDevice && deviceHolding(target) == sourceDevice))
        throw RecoveryError::unsafeDestination(
            "Choose a different drive or folder. Tidewell never writes recovered files back onto the source media.");
}

void copyCandidate(const Candidate& candidate, std::int64_t startOffset, const RawReader& reader,
                   const std::filesystem::path& target, const RecoveryCancellationToken* cancellationToken) {
    NewFile file(target);
    std::int64_t offset = startOffset;
    std::int64_t remaining = candidate.sizeBytes;
    while (remaining >= 1) {
        throwIfCancelled(cancellationToken);
        std::int64_t chunk = std::min(remaining, Limits::exportReadChunk);
        file.append(reader.read(offset, static_cast<std::size_t>(chunk)));
        offset += chunk;
        remaining -= chunk;
    }
}

std::vector<std::filesystem::path> exportCandidateRuns(
    const std::vector<Candidate>& candidates, const RawReader& reader, const ClusterOffset& clusterOffset,
    const std::string& sourceName, const std::filesystem::path& destination, const ExportTexts& texts,
    const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress, ExportNaming naming,
    const ExportPlacement& placement) {
    auto folder = uniqueExportDirectory(sourceName, destination);
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> outputs;
    std::set<std::filesystem::path> written;  // the same paths, for naming the next file
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& candidate = candidates[i];
        const std::string& shown = candidate.nameFor(naming);
        throwIfCancelled(cancellationToken);
        if (!candidate.isContiguousAndFree) {
            warnings.push_back("Skipped " + shown + texts.skipReason);
        } else {
            auto subfolder = placement.subfolder ? folder / placement.subfolder(candidate) : folder;
            auto target = uniqueFileURL(subfolder / exportFileName(candidate, naming), written);
            try {
                std::int64_t start = candidate.runOffset ? *candidate.runOffset : clusterOffset(candidate.startCluster);
                std::filesystem::create_directories(subfolder);
                copyCandidate(candidate, start, reader, target, cancellationToken);
                outputs.push_back(target);
                written.insert(target);
                if (placement.reportLine)
                    if (auto line = placement.reportLine(candidate, target.lexically_relative(folder)))
                        notes.push_back(std::move(*line));
            } catch (const std::exception& error) {
                // A failed copy keeps its partial file; the next candidate still gets its turn.
                warnings.push_back("Could not recover " + shown + ": " + error.what());
            }
        }
        if (progress)
            progress(static_cast<double>(i + 1) / static_cast<double>(candidates.size()),
                     "Recovered " + std::to_string(outputs.size()) + " of " + std::to_string(candidates.size()) +
                         " selected files");
    }
    writeReportQuietly(
        folder, exportReportText(texts, sourceName, outputs.size(), std::chrono::system_clock::now(), warnings, notes));
    return outputs;
}

}  // namespace tidewell::FATDeletedRecoveryEngine
