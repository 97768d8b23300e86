#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tidewell::testing {

// A tiny hand-made exFAT volume of eight 512-byte sectors (one sector per
// cluster, 100 clusters claimed): root directory at cluster 2 with the bitmap
// entry (cluster 3), a subdirectory stored without a chain (cluster 4) and a
// deleted JPEG over clusters 5-6; the subdirectory holds a deleted PDF at
// cluster 7. Seed of the fuzz target.
class TinyExFAT {
public:
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(8 * 512, 0);

    TinyExFAT() {
        text(3, "EXFAT   ");
        put(80, 1, 4), put(84, 1, 4), put(88, 2, 4), put(92, 100, 4), put(96, 2, 4);
        put(108, 9, 1), put(109, 0, 1), put(110, 1, 1), put(510, 0xAA55, 2);
        for (std::uint32_t cluster : {0u, 1u, 2u, 3u}) put(512 + cluster * 4, 0xFFFFFFFF, 4);
        put(1024, 0x81, 1), put(1024 + 20, 3, 4), put(1024 + 24, 13, 8);
        entrySet(1056, 0x85, 0x10, "SUB", 4, 512);
        entrySet(1152, 0x05, 0x20, "IMG.JPG", 5, 600);
        put(1536, 0x07, 1);  // clusters 2, 3 and 4 in use
        entrySet(2048, 0x05, 0x20, "DOC.PDF", 7, 100);
        text(2560, "\xFF\xD8\xFF\xE0");
        text(3584, "%PDF-1.4");
    }

    void put(std::size_t at, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void text(std::size_t at, const std::string& value) {
        for (std::size_t i = 0; i < value.size(); ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value[i]);
    }
    // File entry, stream extension (no-FAT-chain) and one name entry.
    void entrySet(std::size_t at, std::uint8_t fileType, std::uint16_t attributes, const std::string& name,
                  std::uint32_t cluster, std::uint64_t length) {
        std::uint8_t inUse = fileType & 0x80;
        put(at, fileType, 1), put(at + 1, 2, 1), put(at + 4, attributes, 2);
        put(at + 32, 0x40 | inUse, 1), put(at + 33, 0x03, 1), put(at + 35, name.size(), 1);
        put(at + 52, cluster, 4), put(at + 56, length, 8), put(at + 40, length, 8);
        put(at + 64, 0x41 | inUse, 1);
        for (std::size_t i = 0; i < name.size(); ++i) put(at + 66 + i * 2, static_cast<std::uint8_t>(name[i]), 2);
    }
};

}  // namespace tidewell::testing
