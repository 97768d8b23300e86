#include "recovery/readable/external_recovery_volume.h"

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
    auto mix = [&seed](std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); };
    std::hash<std::string> text;
    mix(text(volume.id));
    mix(text(volume.name));
    mix(text(volume.mountURL.string()));
    mix(volume.deviceIdentifier ? text(*volume.deviceIdentifier) : 0);
    mix(text(volume.fileSystem));
    mix(std::hash<std::int64_t>()(volume.totalBytes));
    mix(std::hash<std::int64_t>()(volume.availableBytes));
    mix(static_cast<std::size_t>(volume.isRemovable) | static_cast<std::size_t>(volume.isReadOnly) << 1 |
        static_cast<std::size_t>(volume.isManuallySelected) << 2);
    return seed;
}
