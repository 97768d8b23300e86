#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "recovery/deleted/fat32_image_fixture.h"

namespace tidewell::testing {

using QuickFormatFiles = std::map<std::string, std::vector<std::uint8_t>>;

// A camera folder's worth of files whose long names no 8.3 name can hold.
inline QuickFormatFiles cameraFiles() {
    return {{"Holiday at the beach 0001.jpg", SampleFiles::image("jpg", "160x120")},
            {"Holiday at the beach 0002.jpg", SampleFiles::image("jpg", "96x64")},
            {"Screenshot of the map.png", SampleFiles::image("png", "64x48")},
            {"Travel insurance letter.pdf", SampleFiles::pdf()},
            {"Packing list for June.docx", SampleFiles::zip()}};
}

// The files in DCIM/100TEST of a FAT32 card, then a quick format of the whole card.
inline void fillAndQuickFormat(FAT32Image& card, const QuickFormatFiles& files) {
    card.makeDirectory("DCIM");
    card.makeDirectory("DCIM/100TEST");
    for (const auto& [name, bytes] : files) card.write("DCIM/100TEST/" + name, bytes);
    if (runTool("mkfs.vfat", {"-F", "32", "-S", "512", "-s", "1", card.path().string()}) != 0)
        throw std::runtime_error("mkfs.vfat failed while quick-formatting a card");
}

}  // namespace tidewell::testing
