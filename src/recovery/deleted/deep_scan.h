#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "recovery/deleted/carving/content_validation.h"
#include "recovery/deleted/carving/signature_starts.h"
#include "recovery/deleted/deleted_candidate.h"
#include "recovery/deleted/deleted_scan_report.h"
#include "recovery/deleted/orphan_folders.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "util/progress.h"

// The deep scan of a source whose file system no longer knows its files: the
// folders a quick format left in the data area, then the clusters none of
// their records accounts for, searched for files by their contents.
namespace tidewell::DeepScan {

using DeletedRecovery::Candidate;
using DeletedRecovery::Report;

inline constexpr const char* carvedFilesRoot = "Carved files";

// Data clusters first .. first + count − 1.
struct ClusterRun {
    std::uint32_t first = 0;
    std::int64_t count = 0;

    bool operator==(const ClusterRun&) const = default;
};

struct Result {
    std::vector<Candidate> foundFolderCandidates;  // named from found folders
    std::vector<Candidate> carvedCandidates;       // recognised by their contents alone
    std::vector<OrphanFolderRecovery::FoundFolder> folders;
    Report report;

    // Found-folder files first, then carved ones.
    std::vector<Candidate> candidates() const;
};

// The data clusters no found folder and none of its files' runs covers, in order; on a
// volume whose current file system can still be read, only those it leaves free, since
// the clusters it uses hold its live files.
std::vector<ClusterRun> unclaimedRuns(const OrphanFolderRecovery::Result& found);

// The files recognised by their contents in the unclaimed runs, each following its own
// format's structure: high when its content decoded, medium when only its structure is
// whole, low (listed, never exported) when the structure breaks off.
std::vector<Candidate> carveUnclaimedRuns(const RawReader& reader, const OrphanFolderRecovery::Geometry& geometry,
                                          const std::vector<ClusterRun>& runs,
                                          const RecoveryCancellationToken* cancellationToken,
                                          const ProgressCallback& progress, const std::string& sourceFormat,
                                          const FileCarving::ContentValidator& otherKinds = {},
                                          const FileCarving::SignatureStarts* seen = nullptr);

using OrphanFolderRecovery::isFromFoundFolder;

// "Found 12 files in 3 folders".
std::string foundText(std::size_t files, std::size_t folders);
// "Carved 4 files".
std::string carvedText(std::size_t files);

// Progress while carving reads "Found 12 files in 3 folders · Looking for files by their
// contents · JPEG 4 · PNG 1", the count by kind growing as files are found.
// Throws RecoveryError::cancelled when cancelled; read errors other than the source's end propagate.
// `otherKinds` judges carved files that are not images (documents, archives, media); without
// one they stay medium.
Result scan(const RawReader& reader, const std::string& sourceName,
            const RecoveryCancellationToken* cancellationToken = nullptr, const ProgressCallback& progress = {},
            const FileCarving::ContentValidator& otherKinds = {});

// The folder inside the export folder a candidate goes to: its rebuilt folder
// path for a found-folder file, "Carved files/<kind>" for a carved one. Every
// part is made a safe file name, so no part can leave the export folder.
std::filesystem::path exportSubfolder(const Candidate& candidate);

// Exports as every deleted-file export does, each file in its exportSubfolder,
// and names in the report the files that were named from found folders.
std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken = nullptr,
                                                    const ProgressCallback& progress = {});

}  // namespace tidewell::DeepScan
