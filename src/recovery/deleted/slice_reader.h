#pragma once

#include <memory>

#include "recovery/deleted/raw_reader.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell {

// One partition of a disk image as a volume of its own: offsets are relative
// to the partition's start, and a read that would leave the partition fails as
// a whole, as a read past the end of an image does.
class SliceReader : public RawReader {
public:
    static constexpr const char* outsideMessage = "The recovery image ended before the requested sector could be read.";

    SliceReader(std::shared_ptr<const RawReader> disk, std::int64_t start, std::int64_t length)
        : disk_(std::move(disk)), start_(start), length_(length) {}

    std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const override {
        if (offset < 0 || offset > length_ ||
            static_cast<std::uint64_t>(length) > static_cast<std::uint64_t>(length_ - offset))
            throw DeletedRecovery::RecoveryError::unavailableSource(outsideMessage);
        return disk_->read(start_ + offset, length);
    }

    std::int64_t start() const { return start_; }
    std::int64_t length() const { return length_; }

private:
    std::shared_ptr<const RawReader> disk_;
    std::int64_t start_;
    std::int64_t length_;
};

}  // namespace tidewell
