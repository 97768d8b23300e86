#include "recovery/readable/recovery_candidate.h"

#include "recovery/readable/value_hash.h"
#include "util/byte_size_text.h"
#include "util/relative_date_text.h"

namespace tidewell {

std::string RecoveryCandidate::id() const {
    return sourceURL.lexically_normal().string();
}

std::string RecoveryCandidate::name() const {
    return sourceURL.filename().string();
}

std::string RecoveryCandidate::sizeText() const {
    return tidewellString(sizeBytes);
}

std::string RecoveryCandidate::modifiedText() const {
    return modifiedDate ? tidewellString(*modifiedDate) : std::string("Unknown");
}

}  // namespace tidewell

std::size_t std::hash<tidewell::RecoveryCandidate>::operator()(
    const tidewell::RecoveryCandidate& candidate) const noexcept {
    std::size_t seed = std::hash<std::string>()(candidate.sourceURL.string());
    tidewell::hashCombine(seed, std::hash<std::string>()(candidate.relativePath));
    tidewell::hashCombine(seed, static_cast<std::size_t>(candidate.kind));
    tidewell::hashCombine(seed, std::hash<std::int64_t>()(candidate.sizeBytes));
    tidewell::hashCombine(seed, candidate.modifiedDate
                                    ? std::hash<std::int64_t>()(candidate.modifiedDate->time_since_epoch().count())
                                    : 0);
    return seed;
}
