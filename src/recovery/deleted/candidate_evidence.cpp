#include "recovery/deleted/candidate_evidence.h"

#include <algorithm>

#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/known_signatures.h"
#include "recovery/deleted/recovered_names.h"

namespace tidewell::FATDeletedRecoveryEngine {

namespace {

RecoveryCandidateKind kindFor(const std::string& entryName, const std::optional<std::string>& signature) {
    auto kind = RecoveryCandidateKinds::detect(entryName);
    auto extension = signatureExtension(signature);
    if (kind == RecoveryCandidateKind::other && extension)
        kind = RecoveryCandidateKinds::detect("recovered." + *extension);
    return kind;
}

// Only a whole JPEG, PNG or GIF can validate, so the second read is skipped
// when it could not change the outcome.
bool canValidate(const std::optional<std::string>& signature, std::int64_t sizeBytes) {
    return signature && sizeBytes <= Limits::validationBytes &&
           (*signature == "JPEG" || *signature == "PNG" || *signature == "GIF");
}

Confidence grade(bool contiguousFree, bool hasSignature, bool extensionMatches, bool validated) {
    if (contiguousFree && hasSignature && extensionMatches && validated) return Confidence::high;
    if (contiguousFree && hasSignature) return Confidence::medium;
    return Confidence::low;
}

}  // namespace

std::optional<CandidateEvidence> gatherEvidence(const std::string& entryName, std::int64_t sizeBytes,
                                                std::int64_t bytesPerCluster, bool contiguousFree,
                                                const RunReader& readRun) {
    auto preview = readRun(std::min({Limits::previewBytes, bytesPerCluster, sizeBytes}));
    CandidateEvidence evidence;
    evidence.signature = knownSignature(preview);
    evidence.kind = kindFor(entryName, evidence.signature);
    if (evidence.kind == RecoveryCandidateKind::other && !evidence.signature) return std::nullopt;
    bool extensionMatches = extensionMatchesSignature(entryName, evidence.signature);
    if (canValidate(evidence.signature, sizeBytes)) {
        auto whole = readRun(sizeBytes);
        evidence.contentIsValidated = validatesContent(evidence.signature, whole, true);
    }
    evidence.confidence =
        grade(contiguousFree, evidence.signature.has_value(), extensionMatches, evidence.contentIsValidated);
    return evidence;
}

std::optional<Candidate> makeCandidate(const DeletedEntry& entry, std::int64_t bytesPerCluster,
                                       const RunReader& readRun) {
    auto evidence = gatherEvidence(entry.entryName, entry.sizeBytes, bytesPerCluster, entry.contiguousFree, readRun);
    if (!evidence) return std::nullopt;
    return Candidate{
        .id = entry.id,
        .name = safeRecoveredName(entry.entryName, evidence->signature, entry.startCluster),
        .longName = entry.longName,
        .restoredShortName = entry.restoredShortName,
        .kind = evidence->kind,
        .sizeBytes = entry.sizeBytes,
        .startCluster = entry.startCluster,
        .clustersRequired = entry.clustersRequired,
        .confidence = evidence->confidence,
        .signature = evidence->signature,
        .contentIsValidated = evidence->contentIsValidated,
        .directoryLocation = entry.directoryLocation,
        .isContiguousAndFree = entry.contiguousFree,
        .sourceFormat = entry.sourceFormat,
    };
}

}  // namespace tidewell::FATDeletedRecoveryEngine
