#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tidewell {

// A source volume seen as a flat array of bytes. Implementations return exactly
// `length` bytes starting at `offset`, or throw; there is never a partial result.
class RawReader {
public:
    virtual ~RawReader() = default;
    virtual std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const = 0;
};

}  // namespace tidewell
