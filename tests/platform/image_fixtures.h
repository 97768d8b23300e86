#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/temporary_folder.h"

namespace tidewell::testing {

// A small still image of the given file name (its extension picks the format),
// made by ffmpeg from a test pattern; empty when ffmpeg is missing or fails.
inline std::vector<std::uint8_t> makeTestImage(const std::string& fileName, const std::string& size = "16x16") {
    TemporaryFolder folder;
    auto path = folder / fileName;
    int status = runTool("ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=" + size, "-frames:v", "1",
                                    "-y", path.string()});
    if (status != 0) return {};
    std::string bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

inline std::vector<std::uint8_t> truncated(std::vector<std::uint8_t> bytes, std::size_t keep) {
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

inline std::vector<std::uint8_t> withFlippedBits(std::vector<std::uint8_t> bytes, std::size_t index,
                                                 std::uint8_t mask) {
    bytes.at(index) ^= mask;
    return bytes;
}

}  // namespace tidewell::testing
