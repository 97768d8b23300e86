#include "firstaid/media_container.h"

#include <algorithm>
#include <fstream>

#include "firstaid/file_first_aid_engine.h"

namespace tidewell::FileFirstAidEngine {

AtomByteReader atomFileReader(std::ifstream& file) {
    return [&file](std::uint64_t offset, std::span<std::uint8_t> buffer) -> std::size_t {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        if (!file) return 0;
        file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        return static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
    };
}

std::vector<AtomRecord> parseTopLevelAtoms(const std::filesystem::path& url) {
    std::ifstream file(url, std::ios::binary);
    if (!file) return {};
    // The logical end: block rounding of the allocated size would hide a
    // truncated final atom and lengthen a run-to-end one.
    return walkAtoms(atomFileReader(file), static_cast<std::uint64_t>(logicalFileByteSize(url)));
}

}  // namespace tidewell::FileFirstAidEngine
