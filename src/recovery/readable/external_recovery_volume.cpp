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
