#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recovery/deleted/fat32_long_name.h"

namespace tidewell::testing {

// The directory records of one deleted file as a FAT driver leaves them: the
// long-name pieces (last piece first, ordinals overwritten by the deletion
// mark) and then the short record, whose first byte is the mark as well.
inline std::vector<std::uint8_t> deletedLongNameEntry(const std::u16string& longName, const std::string& shortName11,
                                                      std::uint32_t cluster = 9, std::uint32_t size = 700) {
    std::vector<std::uint8_t> name(shortName11.begin(), shortName11.end());
    std::uint8_t checksum = FATDeletedRecoveryEngine::shortNameChecksum(name);
    std::u16string units = longName;
    if (units.size() % 13 != 0) units.push_back(u'\0');
    while (units.size() % 13 != 0) units.push_back(u'\xFFFF');
    const std::size_t pieces = units.size() / 13;
    static constexpr std::size_t unitOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    std::vector<std::uint8_t> bytes;
    for (std::size_t piece = pieces; piece-- > 0;) {
        std::vector<std::uint8_t> record(32, 0);
        record[0] = 0xE5;
        record[11] = 0x0F;
        record[13] = checksum;
        for (std::size_t i = 0; i < 13; ++i) {
            char16_t unit = units[piece * 13 + i];
            record[unitOffsets[i]] = static_cast<std::uint8_t>(unit);
            record[unitOffsets[i] + 1] = static_cast<std::uint8_t>(unit >> 8);
        }
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    std::vector<std::uint8_t> shortRecord(32, 0);
    std::copy(name.begin(), name.end(), shortRecord.begin());
    shortRecord[0] = 0xE5;
    shortRecord[11] = 0x20;
    shortRecord[20] = static_cast<std::uint8_t>(cluster >> 16),
    shortRecord[21] = static_cast<std::uint8_t>(cluster >> 24);
    shortRecord[26] = static_cast<std::uint8_t>(cluster), shortRecord[27] = static_cast<std::uint8_t>(cluster >> 8);
    for (int i = 0; i < 4; ++i) shortRecord[28 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    bytes.insert(bytes.end(), shortRecord.begin(), shortRecord.end());
    return bytes;
}

}  // namespace tidewell::testing
