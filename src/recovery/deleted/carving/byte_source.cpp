#include "recovery/deleted/carving/byte_source.h"

#include <algorithm>
#include <cstring>

namespace tidewell::FileCarving {

ByteSource::ByteSource(const RawReader& reader, std::int64_t start, std::int64_t available, std::size_t windowBytes)
    : reader_(reader),
      start_(start),
      available_(std::max<std::int64_t>(available, 0)),
      windowBytes_(std::max<std::size_t>(windowBytes, 4096)) {}

void ByteSource::load(std::int64_t position) {
    if (position < 0 || position >= available_) throw EndOfData{};
    if (position >= windowStart_ && position < windowStart_ + static_cast<std::int64_t>(window_.size())) return;
    auto length = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(windowBytes_), available_ - position));
    window_ = reader_.read(start_ + position, length);
    windowStart_ = position;
}

std::span<const std::uint8_t> ByteSource::span(std::int64_t position) {
    load(position);
    return std::span<const std::uint8_t>(window_).subspan(static_cast<std::size_t>(position - windowStart_));
}

std::uint8_t ByteSource::u8(std::int64_t position) {
    return span(position).front();
}

std::uint16_t ByteSource::u16be(std::int64_t position) {
    return static_cast<std::uint16_t>(u8(position) << 8 | u8(position + 1));
}
std::uint32_t ByteSource::u32be(std::int64_t position) {
    return static_cast<std::uint32_t>(u16be(position)) << 16 | u16be(position + 2);
}
std::uint64_t ByteSource::u64be(std::int64_t position) {
    return static_cast<std::uint64_t>(u32be(position)) << 32 | u32be(position + 4);
}
std::uint16_t ByteSource::u16le(std::int64_t position) {
    return static_cast<std::uint16_t>(u8(position) | u8(position + 1) << 8);
}
std::uint32_t ByteSource::u32le(std::int64_t position) {
    return static_cast<std::uint32_t>(u16le(position)) | static_cast<std::uint32_t>(u16le(position + 2)) << 16;
}

std::vector<std::uint8_t> ByteSource::bytes(std::int64_t position, std::size_t count) {
    if (!has(position, static_cast<std::int64_t>(count))) throw EndOfData{};
    std::vector<std::uint8_t> out;
    out.reserve(count);
    while (out.size() < count) {
        auto piece = span(position + static_cast<std::int64_t>(out.size()));
        auto take = std::min(piece.size(), count - out.size());
        out.insert(out.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(take));
    }
    return out;
}

bool ByteSource::matches(std::int64_t position, std::string_view expected) {
    if (!has(position, static_cast<std::int64_t>(expected.size()))) return false;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (u8(position + static_cast<std::int64_t>(i)) != static_cast<std::uint8_t>(expected[i])) return false;
    return true;
}

std::optional<std::int64_t> ByteSource::find(std::string_view pattern, std::int64_t from, std::int64_t to) {
    to = std::min(to, available_);
    if (pattern.empty()) return std::nullopt;
    auto first = static_cast<std::uint8_t>(pattern.front());
    for (std::int64_t at = std::max<std::int64_t>(from, 0); at < to;) {
        auto piece = span(at);
        auto length =
            static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(piece.size()), to - at));
        const void* hit = std::memchr(piece.data(), first, length);
        if (hit == nullptr) {
            at += static_cast<std::int64_t>(length);
            continue;
        }
        auto candidate = at + (static_cast<const std::uint8_t*>(hit) - piece.data());
        if (candidate + static_cast<std::int64_t>(pattern.size()) > to) return std::nullopt;
        if (matches(candidate, pattern)) return candidate;
        at = candidate + 1;
    }
    return std::nullopt;
}

}  // namespace tidewell::FileCarving
