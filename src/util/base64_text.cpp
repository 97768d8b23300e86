#include "util/base64_text.h"

#include <algorithm>
#include <array>

namespace tidewell {

namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int invalidDigit = -1;

constexpr std::array<int, 256> digitTable() {
    std::array<int, 256> table{};
    table.fill(invalidDigit);
    for (std::size_t index = 0; index < alphabet.size(); ++index)
        table[static_cast<unsigned char>(alphabet[index])] = static_cast<int>(index);
    return table;
}

constexpr std::array<int, 256> digits = digitTable();

int digitValue(char c) {
    return digits[static_cast<unsigned char>(c)];
}

}  // namespace

std::string base64Encoded(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = static_cast<std::uint32_t>(bytes[at]) << 16;
        if (count > 1) group |= static_cast<std::uint32_t>(bytes[at + 1]) << 8;
        if (count > 2) group |= bytes[at + 2];
        for (std::size_t digit = 0; digit < 4; ++digit) {
            text += digit <= count ? alphabet[(group >> (18 - 6 * digit)) & 0x3F] : '=';
        }
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> base64Decoded(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    for (std::size_t index = 0; index < text.size() - padding; ++index) {
        const int value = digitValue(text[index]);
        if (value == invalidDigit) return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (index % 4 == 3) {
            bytes.push_back(static_cast<std::uint8_t>(group >> 16));
            bytes.push_back(static_cast<std::uint8_t>(group >> 8));
            bytes.push_back(static_cast<std::uint8_t>(group));
            group = 0;
        }
    }
    // A padded last group carries 1 or 2 bytes; its spare low bits are dropped.
    if (padding == 2) {
        bytes.push_back(static_cast<std::uint8_t>(group >> 4));
    } else if (padding == 1) {
        bytes.push_back(static_cast<std::uint8_t>(group >> 10));
        bytes.push_back(static_cast<std::uint8_t>(group >> 2));
    }
    return bytes;
}

}  // namespace tidewell
