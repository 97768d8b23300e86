#include "recovery/readable/external_recovery_volume.h"

#include "recovery/readable/value_hash.h"
#include "util/byte_size_text.h"

namespace tidewell {

std::string ExternalRecoveryVolume::totalText() const {
    return tidewellString(totalBytes);
}

std::string ExternalRecoveryVolume::availableText() const {
    return tidewellString(availableBytes);
}

std::string ExternalRecoveryVolume::sourceDescription() const {
    static constexpr const char* separator = " \u00B7 ";
    std::string text = fileSystem + separator + totalText();
    if (deviceIdentifier) text += separator + *deviceIdentifier;
    return text;
}

}  // namespace tidewell

std::size_t std::hash<tidewell::ExternalRecoveryVolume>::operator()(
    const tidewell::ExternalRecoveryVolume& volume) const noexcept {
    std::size_t seed = 0;
    std::hash<std::string> text;
    tidewell::hashCombine(seed, text(volume.id));
    tidewell::hashCombine(seed, text(volume.name));
    tidewell::hashCombine(seed, text(volume.mountURL.string()));
    tidewell::hashCombine(seed, volume.deviceIdentifier ? text(*volume.deviceIdentifier) : 0);
    tidewell::hashCombine(seed, text(volume.fileSystem));
    tidewell::hashCombine(seed, std::hash<std::int64_t>()(volume.totalBytes));
    tidewell::hashCombine(seed, std::hash<std::int64_t>()(volume.availableBytes));
    tidewell::hashCombine(seed, static_cast<std::size_t>(volume.isRemovable) |
                                    static_cast<std::size_t>(volume.isReadOnly) << 1 |
                                    static_cast<std::size_t>(volume.isManuallySelected) << 2);
    return seed;
}
