#include "firstaid/image_reading.h"

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/file_samples.h"

namespace tidewell::FileFirstAidEngine {

std::optional<std::vector<std::uint8_t>> imageFileBytes(const std::filesystem::path& url) {
    const std::int64_t size = logicalFileByteSize(url);
    if (size <= 0 || size > RepairLimits::maximumDecodedImageBytes) return std::nullopt;
    auto bytes = readBytes(url, 0, static_cast<std::size_t>(size));
    if (static_cast<std::int64_t>(bytes.size()) != size) return std::nullopt;
    return bytes;
}

std::optional<platform::ImageDimensions> decodeImageFile(const std::filesystem::path& url) {
    const auto bytes = imageFileBytes(url);
    if (!bytes) return std::nullopt;
    return platform::decodeImage(*bytes);
}

}  // namespace tidewell::FileFirstAidEngine
