#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Reads the bits of an H.264/HEVC raw byte sequence payload, fixed-length and exp-Golomb coded.
// Reading past the end yields none, never out-of-range bytes.
namespace tidewell::FileFirstAidEngine {

// The payload of a NAL unit with its emulation-prevention bytes (00 00 03) removed, cut at limit.
inline std::vector<std::uint8_t> unescapedPayload(std::span<const std::uint8_t> nal, std::size_t limit) {
    std::vector<std::uint8_t> payload;
    payload.reserve(std::min(nal.size(), limit));
    int zeros = 0;
    for (std::size_t i = 0; i < nal.size() && payload.size() < limit; ++i) {
        const std::uint8_t byte = nal[i];
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        payload.push_back(byte);
    }
    return payload;
}

class RbspBitReader {
public:
    explicit RbspBitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> bits(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= bytes_.size() * 8) return std::nullopt;
            const std::uint8_t byte = bytes_[position_ / 8];
            value = (value << 1) | ((byte >> (7 - position_ % 8)) & 1U);
            ++position_;
        }
        return value;
    }
    std::optional<bool> flag() {
        auto bit = bits(1);
        if (!bit) return std::nullopt;
        return *bit == 1;
    }
    bool skip(int count) {
        for (int i = 0; i < count; ++i)
            if (!bits(1)) return false;
        return true;
    }
    // ue(v): up to 31 leading zeros, as the standards allow for the syntax elements read here.
    std::optional<std::uint32_t> unsignedGolomb() {
        int zeros = 0;
        for (;;) {
            auto bit = bits(1);
            if (!bit) return std::nullopt;
            if (*bit == 1) break;
            if (++zeros > 31) return std::nullopt;
        }
        auto rest = bits(zeros);
        if (!rest) return std::nullopt;
        return static_cast<std::uint32_t>((std::uint64_t{1} << zeros) - 1 + *rest);
    }
    // se(v)
    std::optional<std::int32_t> signedGolomb() {
        auto code = unsignedGolomb();
        if (!code) return std::nullopt;
        const auto magnitude = static_cast<std::int32_t>((static_cast<std::uint64_t>(*code) + 1) / 2);
        return (*code % 2 == 1) ? magnitude : -magnitude;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace tidewell::FileFirstAidEngine
