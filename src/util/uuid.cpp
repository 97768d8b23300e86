#include "util/uuid.h"

#include <array>
#include <cstdint>
#include <random>

namespace tidewell {

std::string makeUUIDString() {
    // random_device reads the kernel's random source on Linux; each call gets
    // its own so concurrent callers share no state.
    std::random_device source;
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t index = 0; index < bytes.size(); index += 4) {
        const std::uint32_t word = source();
        for (std::size_t part = 0; part < 4; ++part)
            bytes[index + part] = static_cast<std::uint8_t>(word >> (8 * part));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant

    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        if (index == 4 || index == 6 || index == 8 || index == 10) text += '-';
        text += digits[bytes[index] >> 4];
        text += digits[bytes[index] & 0x0F];
    }
    return text;
}

}  // namespace tidewell
