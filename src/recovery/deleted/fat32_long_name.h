#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tidewell::FATDeletedRecoveryEngine {

// What the long-name records before a deleted short record give back.
struct RestoredLongName {
    std::string longName;  // UTF-8
    // The short name's first byte, lost to the deletion mark; 0x05 stands for
    // a first character 0xE5, as on disk.
    std::uint8_t shortNameFirstByte = 0;
};

// The checksum every long-name record keeps of its 11-byte short name.
std::uint8_t shortNameChecksum(std::span<const std::uint8_t> name11);

// The long name of the deleted short record at `shortRecordOffset` of the
// directory bytes, from the deleted long-name records right before it. None
// when there are none, and when the run is broken, partial or belongs to
// another short name: the caller then keeps the short name. None as well
// when the record there is no deleted short record.
std::optional<RestoredLongName> deletedLongName(std::span<const std::uint8_t> directory, std::size_t shortRecordOffset);

// The long name of the live short record at `shortRecordOffset`, from the live
// long-name records before it, by the same checks as a deleted one's.
std::optional<std::string> liveLongName(std::span<const std::uint8_t> directory, std::size_t shortRecordOffset);

}  // namespace tidewell::FATDeletedRecoveryEngine
