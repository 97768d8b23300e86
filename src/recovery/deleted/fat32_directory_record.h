#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tidewell::FATDeletedRecoveryEngine::DirectoryRecord {

// One 32-byte FAT directory record; callers hand in exactly 32 bytes.
inline constexpr std::size_t size = 32;
inline constexpr std::uint8_t endOfDirectory = 0x00;
inline constexpr std::uint8_t deletedMark = 0xE5;
inline constexpr std::uint8_t longNameAttributes = 0x0F;
inline constexpr std::uint8_t volumeLabelBit = 0x08;
inline constexpr std::uint8_t directoryBit = 0x10;

std::uint8_t firstByte(std::span<const std::uint8_t> record);
std::uint8_t attributes(std::span<const std::uint8_t> record);
// (high 16 bits at 20-21) << 16 | low 16 bits at 26-27.
std::uint32_t cluster(std::span<const std::uint8_t> record);
std::uint32_t fileSize(std::span<const std::uint8_t> record);

// The 8.3 name as stored, "NAME.ext" with the extension lower-cased.
std::string activeShortName(std::span<const std::uint8_t> record);
// As above with the first character (lost to the deletion mark) shown as "_";
// "Recovered-<cluster>" when the base is empty.
std::string deletedShortName(std::span<const std::uint8_t> record, std::uint32_t cluster);
std::string shortName(std::span<const std::uint8_t> record, bool deleted, std::uint32_t cluster);

}  // namespace tidewell::FATDeletedRecoveryEngine::DirectoryRecord
