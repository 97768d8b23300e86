#pragma once

#include <cstdint>
#include <vector>

#include "recovery/deleted/partition_table.h"

namespace tidewell::testing {

inline void putLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(value >> (8 * i));
}

// A disk of `sectors` 512-byte sectors with an MBR whose entries the test sets.
struct MBRDisk {
    std::vector<std::uint8_t> bytes;

    explicit MBRDisk(std::size_t sectors = 16'384) : bytes(sectors * 512) { endMark(0); }

    void endMark(std::size_t sector) {
        bytes.at(sector * 512 + 510) = 0x55;
        bytes.at(sector * 512 + 511) = 0xAA;
    }
    void put(std::size_t at, const std::vector<std::uint8_t>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) bytes.at(at + i) = values[i];
    }
    void entry(std::size_t sector, int index, std::uint8_t type, std::uint32_t first, std::uint32_t count) {
        const std::size_t at = sector * 512 + 446 + static_cast<std::size_t>(index) * 16;
        bytes.at(at + 4) = type;
        putLittleEndian(bytes, at + 8, first, 4);
        putLittleEndian(bytes, at + 12, count, 4);
    }
    void primary(int index, std::uint8_t type, std::uint32_t first, std::uint32_t count) {
        entry(0, index, type, first, count);
    }
    // An extended boot record at `sector`: a logical partition `logicalOffset`
    // sectors after it, and the next record `next` sectors into the extension (0: none).
    void extendedRecord(std::uint32_t sector, std::uint32_t logicalOffset, std::uint32_t logicalCount,
                        std::uint32_t next) {
        endMark(sector);
        entry(sector, 0, 0x0C, logicalOffset, logicalCount);
        if (next != 0) entry(sector, 1, 0x05, next, 16);
    }
};

// A disk of `sectors` 512-byte sectors with a protective MBR, a GPT header at
// sector 1 and an entry array from sector 2.
struct GPTDisk {
    std::vector<std::uint8_t> bytes;

    explicit GPTDisk(std::size_t sectors = 128) : bytes(sectors * 512) {
        MBRDisk protective(1);
        protective.primary(0, 0xEE, 1, static_cast<std::uint32_t>(sectors - 1));
        std::copy(protective.bytes.begin(), protective.bytes.end(), bytes.begin());
    }

    // A basic-data entry at `index` spanning sectors first ... last.
    void entry(std::size_t index, std::uint64_t first, std::uint64_t last) {
        const std::size_t at = 1024 + index * 128;
        static constexpr std::uint8_t basicData[16] = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                                       0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};
        std::copy(std::begin(basicData), std::end(basicData), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        putLittleEndian(bytes, at + 32, first, 8);
        putLittleEndian(bytes, at + 40, last, 8);
    }
    // The header, with both checksums computed (the array's when it fits the disk).
    void header(std::uint32_t entryCount, std::uint32_t entrySize) {
        const std::size_t at = 512;
        const char signature[] = "EFI PART";
        std::copy(signature, signature + 8, bytes.begin() + at);
        putLittleEndian(bytes, at + 8, 0x00010000, 4);
        putLittleEndian(bytes, at + 12, 92, 4);
        putLittleEndian(bytes, at + 24, 1, 8);
        putLittleEndian(bytes, at + 32, bytes.size() / 512 - 1, 8);
        putLittleEndian(bytes, at + 40, 34, 8);
        putLittleEndian(bytes, at + 48, bytes.size() / 512 - 2, 8);
        putLittleEndian(bytes, at + 72, 2, 8);
        putLittleEndian(bytes, at + 80, entryCount, 4);
        putLittleEndian(bytes, at + 84, entrySize, 4);
        const std::uint64_t arrayBytes = std::uint64_t{entryCount} * entrySize;
        if (1024 + arrayBytes <= bytes.size())
            putLittleEndian(bytes, at + 88,
                            PartitionTable::crc32({bytes.data() + 1024, static_cast<std::size_t>(arrayBytes)}), 4);
        putLittleEndian(bytes, at + 16, 0, 4);
        putLittleEndian(bytes, at + 16, PartitionTable::crc32({bytes.data() + at, 92}), 4);
    }
};

}  // namespace tidewell::testing
