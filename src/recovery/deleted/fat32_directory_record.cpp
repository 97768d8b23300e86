#include "recovery/deleted/fat32_directory_record.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "recovery/deleted/little_endian_bytes.h"
#include "util/text_helpers.h"

namespace tidewell::FATDeletedRecoveryEngine::DirectoryRecord {

namespace {

bool isPrintable(std::uint8_t byte) {
    return byte >= 32 && byte <= 126;
}

std::string baseName(std::span<const std::uint8_t> record) {
    auto bytes = record.first(8);
    auto first = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0x20 && b != 0x00; });
    std::string base;
    for (auto it = first; it != bytes.end(); ++it) base += isPrintable(*it) ? static_cast<char>(*it) : '_';
    return base;
}

std::string extensionName(std::span<const std::uint8_t> record) {
    std::string extension;
    for (std::uint8_t byte : record.subspan(8, 3)) {
        if (byte == 0x20 || byte == 0x00) break;
        if (isPrintable(byte)) extension += static_cast<char>(byte);
    }
    // ASCII lowering, whatever the process locale says of "I".
    return text_helpers::lowercased(extension);
}

}  // namespace

std::uint8_t firstByte(std::span<const std::uint8_t> record) {
    return LittleEndianBytes(record).u8(0);
}
std::uint8_t attributes(std::span<const std::uint8_t> record) {
    return LittleEndianBytes(record).u8(11);
}

std::uint32_t cluster(std::span<const std::uint8_t> record) {
    LittleEndianBytes fields(record);
    return static_cast<std::uint32_t>(fields.u16(20)) << 16 | fields.u16(26);
}

std::uint32_t fileSize(std::span<const std::uint8_t> record) {
    return LittleEndianBytes(record).u32(28);
}

std::string shortName(std::span<const std::uint8_t> record, bool deleted, std::uint32_t cluster) {
    if (record.size() < size) throw std::out_of_range("short name of an incomplete directory record");
    std::string base = baseName(record);
    if (deleted) base = base.empty() ? "Recovered-" + std::to_string(cluster) : "_" + base.substr(1);
    base = text_helpers::trimmed(base);
    std::string extension = extensionName(record);
    return extension.empty() ? base : base + "." + extension;
}

std::string activeShortName(std::span<const std::uint8_t> record) {
    return shortName(record, false, 0);
}

std::string deletedShortName(std::span<const std::uint8_t> record, std::uint32_t cluster) {
    return shortName(record, true, cluster);
}

}  // namespace tidewell::FATDeletedRecoveryEngine::DirectoryRecord
