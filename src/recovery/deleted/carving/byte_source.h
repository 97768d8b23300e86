#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "recovery/deleted/raw_reader.h"

namespace tidewell::FileCarving {

// Thrown by a ByteSource asked for bytes past the end of what may belong to the
// file; the walkers let it rise and the dispatcher reports "truncated".
struct EndOfData {};

// The bytes of one would-be file, from its first byte up to `available` bytes,
// read through the volume in large windows so a walker can follow a file of any
// size without holding it whole. Positions are relative to the file's start.
class ByteSource {
public:
    static constexpr std::size_t defaultWindowBytes = 4 * 1024 * 1024;

    ByteSource(const RawReader& reader, std::int64_t start, std::int64_t available,
               std::size_t windowBytes = defaultWindowBytes);

    std::int64_t available() const { return available_; }
    bool has(std::int64_t position, std::int64_t count) const {
        return position >= 0 && count >= 0 && position <= available_ && count <= available_ - position;
    }

    std::uint8_t u8(std::int64_t position);
    std::uint16_t u16be(std::int64_t position);
    std::uint32_t u32be(std::int64_t position);
    std::uint64_t u64be(std::int64_t position);
    std::uint16_t u16le(std::int64_t position);
    std::uint32_t u32le(std::int64_t position);
    // Exactly `count` bytes, or EndOfData.
    std::vector<std::uint8_t> bytes(std::int64_t position, std::size_t count);
    bool matches(std::int64_t position, std::string_view expected);
    // The loaded bytes from `position` to the end of its window (never empty
    // inside the available range): fast scans walk these spans.
    std::span<const std::uint8_t> span(std::int64_t position);
    // The first position in [from, to) where `pattern` starts, if any.
    std::optional<std::int64_t> find(std::string_view pattern, std::int64_t from, std::int64_t to);

private:
    void load(std::int64_t position);

    const RawReader& reader_;
    std::int64_t start_;
    std::int64_t available_;
    std::size_t windowBytes_;
    std::int64_t windowStart_ = 0;
    std::vector<std::uint8_t> window_;
};

}  // namespace tidewell::FileCarving
