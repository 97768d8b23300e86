#pragma once

#include <span>

#include "recovery/deleted/raw_reader.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell {

// A volume held in memory (fuzzing and tests); reads past the end fail as a
// whole, like the image file reader.
class MemoryReader : public RawReader {
public:
    explicit MemoryReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const override {
        if (offset < 0 || static_cast<std::uint64_t>(offset) > bytes_.size() ||
            length > bytes_.size() - static_cast<std::size_t>(offset))
            throw FATDeletedRecoveryEngine::RecoveryError::unavailableSource(
                "The recovery image ended before the requested sector could be read.");
        auto first = bytes_.begin() + offset;
        return {first, first + static_cast<std::ptrdiff_t>(length)};
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace tidewell
