#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tidewell::testing {

// A tiny hand-made FAT32 volume of seven 512-byte sectors that claims 70,000:
// one reserved sector, one table sector, root directory at cluster 2 with a
// subdirectory (cluster 3, which links back to the root), a deleted JPEG over
// clusters 4-5 and a deleted PDF at cluster 6. Seed of the fuzz target.
class TinyFAT32 {
public:
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(7 * 512, 0);

    TinyFAT32() {
        put(11, 512, 2), put(13, 1, 1), put(14, 1, 2), put(16, 1, 1), put(32, 70000, 4), put(36, 1, 4);
        put(44, 2, 4), put(510, 0xAA55, 2);
        for (std::uint32_t cluster : {0u, 1u, 2u, 3u}) put(512 + cluster * 4, 0x0FFFFFFF, 4);
        record(1024, "SUB        ", 0x10, 3, 0);
        record(1056, "\xE5MG_0001JPG", 0x20, 4, 600);
        record(1088, "ABCDEFGHIJK", 0x0F, 0, 0);  // long-name piece
        record(1120, "VOLUME     ", 0x08, 0, 0);
        record(1536, ".          ", 0x10, 3, 0);
        record(1568, "..         ", 0x10, 0, 0);
        record(1600, "\xE5OC     PDF", 0x20, 6, 100);
        record(1632, "BACK       ", 0x10, 2, 0);
        text(2048, "\xFF\xD8\xFF\xE0");
        text(3072, "%PDF-1.4");
    }

    void put(std::size_t at, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void text(std::size_t at, const std::string& value) {
        for (std::size_t i = 0; i < value.size(); ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value[i]);
    }
    void record(std::size_t at, const std::string& name11, std::uint8_t attributes, std::uint32_t cluster,
                std::uint32_t size) {
        text(at, name11);
        put(at + 11, attributes, 1), put(at + 20, cluster >> 16, 2), put(at + 26, cluster & 0xFFFF, 2);
        put(at + 28, size, 4);
    }
};

}  // namespace tidewell::testing
