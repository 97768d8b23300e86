#include "firstaid/file_samples.h"

#include <algorithm>
#include <fstream>

#include "firstaid/file_first_aid_engine.h"

namespace tidewell::FileFirstAidEngine {

std::vector<std::uint8_t> readBytes(const std::filesystem::path& url, std::uint64_t offset, std::size_t count) {
    std::ifstream file(url, std::ios::binary);
    if (!file) return {};
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file) return {};
    std::vector<std::uint8_t> bytes(count);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
}

std::vector<std::uint8_t> headSample(const std::filesystem::path& url) {
    return readBytes(url, 0, RepairLimits::headSampleBytes);
}

std::vector<std::uint8_t> tailSample(const std::filesystem::path& url) {
    // Measured from the logical end: the allocated size of a sparse or
    // compressed file says nothing about where its last bytes are.
    const std::int64_t size = logicalFileByteSize(url);
    const std::int64_t count = std::min(RepairLimits::tailSampleBytes, size);
    if (count <= 0) return {};
    return readBytes(url, static_cast<std::uint64_t>(size - count), static_cast<std::size_t>(count));
}

std::optional<std::size_t> findBytes(const std::vector<std::uint8_t>& bytes, std::string_view needle) {
    if (needle.empty()) return 0;
    auto found = std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end(),
                             [](std::uint8_t byte, char c) { return byte == static_cast<std::uint8_t>(c); });
    if (found == bytes.end()) return std::nullopt;
    return static_cast<std::size_t>(found - bytes.begin());
}

}  // namespace tidewell::FileFirstAidEngine
