#include "recovery/deleted/exfat_entry_set.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "recovery/deleted/little_endian_bytes.h"

namespace tidewell::ExFATDeletedRecoveryEngine {

namespace {

constexpr std::uint8_t streamExtensionCode = 0x40;
constexpr std::uint8_t fileNameCode = 0x41;
constexpr std::uint8_t noFATChainFlag = 0x02;

void appendUTF8(std::string& text, std::uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string decodeUTF16(const std::vector<std::uint16_t>& units) {
    std::string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t unit = units[i];
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            appendUTF8(text, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUTF8(text, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
        }
    }
    return text;
}

std::string trimmed(const std::string& text) {
    auto isBlank = [](unsigned char c) { return c < 0x80 && std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

}  // namespace

std::optional<FileSet> parseFileSet(std::span<const std::uint8_t> data, std::size_t offset) {
    if (offset + entrySize > data.size()) return std::nullopt;
    LittleEndianBytes bytes(data);
    int secondaryCount = bytes.u8(offset + 1);
    if (secondaryCount < 2 || offset + (secondaryCount + 1) * entrySize > data.size()) return std::nullopt;

    std::optional<std::size_t> stream;
    std::vector<std::uint16_t> units;
    for (int i = 1; i <= secondaryCount; ++i) {
        std::size_t entry = offset + static_cast<std::size_t>(i) * entrySize;
        std::uint8_t code = bytes.u8(entry) & static_cast<std::uint8_t>(~inUseBit);
        if (code == streamExtensionCode && !stream) stream = entry;
        if (code != fileNameCode) continue;
        for (std::size_t at = 2; at < entrySize; at += 2)
            if (std::uint16_t unit = bytes.u16(entry + at); unit != 0) units.push_back(unit);
    }
    if (!stream) return std::nullopt;
    units.resize(std::min<std::size_t>(units.size(), bytes.u8(*stream + 3)));
    FileSet set{.secondaryCount = secondaryCount,
                .attributes = bytes.u16(offset + 4),
                .noFATChain = (bytes.u8(*stream + 1) & noFATChainFlag) != 0,
                .name = trimmed(decodeUTF16(units)),
                .firstCluster = bytes.u32(*stream + 20),
                .dataLength = static_cast<std::int64_t>(bytes.u64(*stream + 24))};
    if (set.name.empty()) return std::nullopt;
    return set;
}

}  // namespace tidewell::ExFATDeletedRecoveryEngine
