#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "recovery/deleted/exfat_card_fixture.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "support/redirected_tool.h"

namespace tidewell::testing {

// A disk image whose partition table sfdisk wrote ("dos" or "gpt"): partition 1
// is a FAT32 camera card with files deleted by mtools, partition 2 the exFAT
// card; each volume is made as an image of its own and copied in with dd.
struct PartitionedDisk {
    static constexpr std::int64_t sector = 512;
    static constexpr std::int64_t fat32Start = 2'048, fat32Sectors = 131'072;
    static constexpr std::int64_t exfatStart = 133'120, exfatSectors = 65'536;
    static constexpr std::int64_t diskSectors = 200'704;

    TemporaryFolder folder;
    FAT32Image fat32;
    std::vector<DeletedFile> fat32Deleted = fillCameraCard(fat32);
    ExFATCard exfat;
    std::filesystem::path path = folder / "disk.img";

    explicit PartitionedDisk(const std::string& label = "dos") {
        writeFile(path, "");
        std::filesystem::resize_file(path, diskSectors * sector);
        const std::string type1 = label == "gpt" ? "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7" : "c";
        const std::string type2 = label == "gpt" ? "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7" : "7";
        writeFile(folder / "table.sfdisk", "label: " + label + "\nstart=" + std::to_string(fat32Start) +
                                               ", size=" + std::to_string(fat32Sectors) + ", type=" + type1 +
                                               "\nstart=" + std::to_string(exfatStart) +
                                               ", size=" + std::to_string(exfatSectors) + ", type=" + type2 + "\n");
        if (runToolRedirected("sfdisk", {"-q", path.string()}, folder / "table.sfdisk", folder / "sfdisk.log") != 0)
            throw std::runtime_error("sfdisk failed while making a disk image");
        splice(fat32.path(), fat32Start);
        splice(exfat.image.path(), exfatStart);
    }

private:
    void splice(const std::filesystem::path& volume, std::int64_t start) {
        if (runTool("dd", {"if=" + volume.string(), "of=" + path.string(), "bs=512", "seek=" + std::to_string(start),
                           "conv=notrunc,sparse", "status=none"}) != 0)
            throw std::runtime_error("dd failed while making a disk image");
    }
};

}  // namespace tidewell::testing
