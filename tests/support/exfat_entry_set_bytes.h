#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace tidewell::testing {

// The rotate-right-and-add step of the exFAT name hash and set checksum.
inline std::uint16_t exfatRotateAdd(std::uint16_t sum, std::uint8_t byte) {
    return static_cast<std::uint16_t>(((sum & 1) ? 0x8000 : 0) + (sum >> 1) + byte);
}

// The bytes of one file or folder entry set as a volume writes it: file,
// stream extension and name entries (ASCII names), with name hash and set
// checksum. Deleting clears the in-use bit of every entry, as a driver does.
inline std::vector<std::uint8_t> exfatEntrySetBytes(const std::string& name, std::uint16_t attributes,
                                                    std::uint32_t first, std::int64_t length, bool noFATChain,
                                                    bool deleted) {
    int nameEntries = static_cast<int>((name.size() + 14) / 15);
    std::vector<std::uint8_t> set(static_cast<std::size_t>(2 + nameEntries) * 32, 0);
    set[0] = 0x85, set[1] = static_cast<std::uint8_t>(1 + nameEntries);
    set[4] = static_cast<std::uint8_t>(attributes);
    const std::uint32_t time = (46u << 25) | (12u << 21) | (6u << 16) | (10u << 11);
    for (int stamp : {8, 12, 16})
        for (int i = 0; i < 4; ++i) set[stamp + i] = static_cast<std::uint8_t>(time >> (8 * i));
    set[32] = 0xC0, set[33] = static_cast<std::uint8_t>(0x01 | (noFATChain ? 0x02 : 0));
    set[35] = static_cast<std::uint8_t>(name.size());
    std::uint16_t hash = 0;
    for (char c : name) hash = exfatRotateAdd(exfatRotateAdd(hash, static_cast<std::uint8_t>(std::toupper(c))), 0);
    set[36] = static_cast<std::uint8_t>(hash), set[37] = static_cast<std::uint8_t>(hash >> 8);
    for (int i = 0; i < 8; ++i) set[40 + i] = set[56 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    for (int i = 0; i < 4; ++i) set[52 + i] = static_cast<std::uint8_t>(first >> (8 * i));
    for (std::size_t i = 0; i < name.size(); ++i) {
        std::size_t entry = 64 + (i / 15) * 32;
        set[entry] = 0xC1;
        set[entry + 2 + (i % 15) * 2] = static_cast<std::uint8_t>(name[i]);
    }
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < set.size(); ++i)
        if (i != 2 && i != 3) checksum = exfatRotateAdd(checksum, set[i]);
    set[2] = static_cast<std::uint8_t>(checksum), set[3] = static_cast<std::uint8_t>(checksum >> 8);
    if (deleted)
        for (std::size_t entry = 0; entry < set.size(); entry += 32) set[entry] &= 0x7F;
    return set;
}

}  // namespace tidewell::testing
