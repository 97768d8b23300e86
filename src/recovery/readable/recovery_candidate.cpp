#include "recovery/readable/recovery_candidate.h"

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
    auto mix = [&seed](std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); };
    mix(std::hash<std::string>()(candidate.relativePath));
    mix(static_cast<std::size_t>(candidate.kind));
    mix(std::hash<std::int64_t>()(candidate.sizeBytes));
    mix(candidate.modifiedDate ? std::hash<std::int64_t>()(candidate.modifiedDate->time_since_epoch().count()) : 0);
    return seed;
}
