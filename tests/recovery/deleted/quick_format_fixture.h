#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "recovery/deleted/fat32_image_fixture.h"

namespace tidewell::testing {

using QuickFormatFiles = std::map<std::string, std::vector<std::uint8_t>>;

// A raw photo as a camera's DNG: ffmpeg's little-endian TIFF, whose first directory is
// written again at the end with the DNG version tags and a camera model added (the old
// directory stays behind as unused bytes, as an editor that appends would leave it).
inline std::vector<std::uint8_t> dngLikeTiff() {
    std::vector<std::uint8_t> tiff = SampleFiles::image("tiff", "64x48");
    const auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(tiff.at(at) | tiff.at(at + 1) << 8); };
    if (tiff.size() < 8 || tiff[0] != 'I' || tiff[1] != 'I' || u16(2) != 42)
        throw std::runtime_error("ffmpeg wrote no little-endian TIFF");
    const std::uint32_t oldDirectory = u16(4) | u16(6) << 16;
    const std::uint32_t oldCount = u16(oldDirectory);
    const std::string model = "Tidewell test camera";
    if (tiff.size() % 2 != 0) tiff.push_back(0);
    const auto directory = static_cast<std::uint32_t>(tiff.size());
    const std::uint32_t count = oldCount + 3;
    const std::uint32_t modelOffset = directory + 2 + 12 * count + 4;
    const auto append = [&](std::uint64_t value, int width) {
        const std::vector<std::uint8_t> bytes = littleEndian(value, width);
        tiff.insert(tiff.end(), bytes.begin(), bytes.end());
    };
    append(count, 2);
    // Entries stay in tag order: ffmpeg's tags all lie below the DNG ones.
    const std::vector<std::uint8_t> entries(tiff.begin() + oldDirectory + 2,
                                            tiff.begin() + oldDirectory + 2 + 12 * oldCount);
    tiff.insert(tiff.end(), entries.begin(), entries.end());
    for (auto [tag, version] : {std::pair{0xC612u, 0x00000401u}, std::pair{0xC613u, 0x00000101u}}) {
        append(tag, 2);  // DNGVersion 1.4.0.0, DNGBackwardVersion 1.1.0.0
        append(1, 2);    // BYTE
        append(4, 4);
        append(version, 4);
    }
    append(0xC614, 2);  // UniqueCameraModel
    append(2, 2);       // ASCII
    append(model.size() + 1, 4);
    append(modelOffset, 4);
    append(0, 4);  // no next directory
    tiff.insert(tiff.end(), model.begin(), model.end());
    tiff.push_back(0);
    const std::vector<std::uint8_t> header = littleEndian(directory, 4);
    std::copy(header.begin(), header.end(), tiff.begin() + 4);
    return tiff;
}

// One second of ffmpeg's test pattern and tone in an MP4.
inline std::vector<std::uint8_t> cameraClip() {
    TemporaryFolder scratch;
    runTool("ffmpeg",
            {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=1", "-f", "lavfi", "-i",
             "sine=duration=1", "-c:v", "mpeg4", "-shortest", "-y", (scratch / "clip.mp4").string()});
    return fileBytes(scratch / "clip.mp4");
}

// A camera folder's worth of files whose long names no 8.3 name can hold.
inline QuickFormatFiles cameraFiles() {
    return {{"Holiday at the beach 0001.jpg", SampleFiles::image("jpg", "160x120")},
            {"Holiday at the beach 0002.jpg", SampleFiles::image("jpg", "96x64")},
            {"Screenshot of the map.png", SampleFiles::image("png", "64x48")},
            {"Raw photo of the harbour.dng", dngLikeTiff()},
            {"Clip of the harbour at dusk.mp4", cameraClip()},
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

// An old root holding a photo, a picture and a second photo, in that order on the card,
// over an empty camera folder, then the quick format: only carving finds the three.
inline void fillRootAndQuickFormat(FAT32Image& card) {
    card.write("first photo.jpg", SampleFiles::image("jpg", "160x120"));
    card.write("picture.png", SampleFiles::image("png", "64x48"));
    card.write("second photo.jpg", SampleFiles::image("jpg", "96x64"));
    fillAndQuickFormat(card, {});
}

}  // namespace tidewell::testing
