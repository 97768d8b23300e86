#pragma once

#include <string>

#include "recovery/deleted/raw_reader.h"

namespace tidewell {

// Reads a live partition (a kernel name such as sdb1) through the privileged
// read-only helper process; every read is one complete round trip.
class PrivilegedDeviceReader : public RawReader {
public:
    explicit PrivilegedDeviceReader(std::string deviceIdentifier) : deviceIdentifier_(std::move(deviceIdentifier)) {}

    std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const override;

    const std::string& deviceIdentifier() const { return deviceIdentifier_; }

private:
    std::string deviceIdentifier_;
};

}  // namespace tidewell
