#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tidewell {

// A recovery source: a mounted external volume or a folder picked by hand.
// Compared by value over all ten fields, in this order.
struct ExternalRecoveryVolume {
    std::string id;  // standardised mount path + "#" + device identifier, or "#manual"
    std::string name;
    std::filesystem::path mountURL;
    std::optional<std::string> deviceIdentifier;  // kernel name such as sdb1
    std::string fileSystem;                       // or "Mounted volume"
    std::int64_t totalBytes = 0;
    std::int64_t availableBytes = 0;
    bool isRemovable = false;
    bool isReadOnly = false;
    bool isManuallySelected = false;

    std::string totalText() const;
    std::string availableText() const;
    // fileSystem · totalText [· deviceIdentifier]
    std::string sourceDescription() const;

    bool operator==(const ExternalRecoveryVolume&) const = default;
};

}  // namespace tidewell

template <>
struct std::hash<tidewell::ExternalRecoveryVolume> {
    std::size_t operator()(const tidewell::ExternalRecoveryVolume& volume) const noexcept;
};
