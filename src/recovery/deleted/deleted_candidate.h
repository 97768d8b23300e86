#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recovery/deleted/export_naming.h"
#include "recovery/readable/recovery_candidate_kind.h"

// The values both deleted-file engines hand out. They live in a namespace of
// their own, so that argument-dependent lookup never finds both engines'
// functions for one call; each engine names them as its own.
namespace tidewell::DeletedRecovery {

enum class Confidence { high, medium, low };

// "High", "Medium", "Low".
std::string rawValue(Confidence confidence);
std::string iconName(Confidence confidence);
// For sorting: high 3, medium 2, low 1.
int confidenceRank(Confidence confidence);

// A deleted file whose bytes may still lie on the medium, as found by a scan
// of a FAT32 or exFAT volume.
struct Candidate {
    std::string id;    // directory label # record offset # start cluster # size
    std::string name;  // from the short name; exports and acceptance checks rely on it
    // The whole name from the long-name records of a deleted FAT32 entry, when
    // they survived intact; exFAT names are already whole in `name`.
    std::optional<std::string> longName;
    // The 8.3 name with the first character the deletion took, as the long
    // name's checksum gives it back.
    std::optional<std::string> restoredShortName;
    RecoveryCandidateKind kind = RecoveryCandidateKind::other;
    std::int64_t sizeBytes = 0;
    std::uint32_t startCluster = 0;
    std::int64_t clustersRequired = 0;
    Confidence confidence = Confidence::low;
    std::optional<std::string> signature;
    bool contentIsValidated = false;
    std::string directoryLocation;
    bool isContiguousAndFree = false;
    std::string sourceFormat;
    // Named from a folder record found in the data area after a quick format
    // rather than from the live directory tree.
    bool fromFoundFolder = false;
    // Byte offset of the run's first cluster when the scan's geometry is not
    // the current boot sector's; exports read from there.
    std::optional<std::int64_t> runOffset;
    // Recognised by its contents in clusters no record accounts for; its name is made from
    // its kind, position and the date or title it carries.
    bool carved = false;
    // When the file was last changed, as a found folder's record gives it (read as UTC).
    std::optional<std::chrono::system_clock::time_point> modified;

    // "Deleted FAT32 directory entry · JPEG signature · unallocated run";
    // "Found FAT32 folder record · ..." for a file from a found folder; "Carved from its
    // contents · JPEG signature · ..." for a carved one.
    std::string evidenceText() const;
    // What the user is shown: the long name when there is one, else `name`.
    const std::string& displayName() const { return longName ? *longName : name; }
    const std::string& nameFor(ExportNaming naming) const {
        return naming == ExportNaming::displayName ? displayName() : name;
    }

    bool operator==(const Candidate&) const = default;
};

// Higher confidence first, then larger files, then names case-insensitively.
void sortCandidates(std::vector<Candidate>& candidates);

}  // namespace tidewell::DeletedRecovery

namespace tidewell::FATDeletedRecoveryEngine {
using DeletedRecovery::Candidate;
using DeletedRecovery::Confidence;
using DeletedRecovery::confidenceRank;
using DeletedRecovery::ExportNaming;
using DeletedRecovery::iconName;
using DeletedRecovery::rawValue;
using DeletedRecovery::sortCandidates;
}  // namespace tidewell::FATDeletedRecoveryEngine
