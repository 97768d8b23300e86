#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

namespace tidewell {

// Bounds-checked little-endian fields of an on-disk structure. An index past
// the end throws std::out_of_range: parsers check sizes first, so reaching it
// is a parser bug, never a read outside the buffer.
class LittleEndianBytes {
public:
    explicit LittleEndianBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    std::uint8_t u8(std::size_t index) const {
        if (index >= bytes_.size()) throw std::out_of_range("little-endian field beyond its buffer");
        return bytes_[index];
    }
    std::uint16_t u16(std::size_t index) const { return static_cast<std::uint16_t>(u8(index) | u8(index + 1) << 8); }
    std::uint32_t u32(std::size_t index) const {
        return static_cast<std::uint32_t>(u16(index)) | static_cast<std::uint32_t>(u16(index + 2)) << 16;
    }
    std::uint64_t u64(std::size_t index) const {
        return static_cast<std::uint64_t>(u32(index)) | static_cast<std::uint64_t>(u32(index + 4)) << 32;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace tidewell
