#include "recovery/deleted/exfat_entry_set.h"

#include <algorithm>
#include <vector>

#include "recovery/deleted/little_endian_bytes.h"
#include "util/text_helpers.h"
#include "util/unicode_text.h"

namespace tidewell::ExFATDeletedRecoveryEngine {

namespace {

constexpr std::uint8_t streamExtensionCode = 0x40;
constexpr std::uint8_t fileNameCode = 0x41;
constexpr std::uint8_t noFATChainFlag = 0x02;

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string decodeUTF16(const std::vector<std::uint16_t>& units) {
    std::u32string codes;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t unit = units[i];
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            codes.push_back(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            codes.push_back(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
        }
    }
    return encodeUTF8(codes);
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
                .name = text_helpers::trimmed(decodeUTF16(units)),
                .firstCluster = bytes.u32(*stream + 20),
                .dataLength = static_cast<std::int64_t>(bytes.u64(*stream + 24))};
    if (set.name.empty()) return std::nullopt;
    return set;
}

}  // namespace tidewell::ExFATDeletedRecoveryEngine
