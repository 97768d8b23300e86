#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recovery/deleted/raw_reader.h"

// The partitions of a disk image: an MBR (primary entries and the chain of
// extended boot records) or a GPT (header and entry array, both CRC-checked).
// Tables come from untrusted media: entries that reach past the disk are
// clipped, overlapping or empty ones are dropped, chains and counts are capped.
namespace tidewell::PartitionTable {

namespace Limits {
inline constexpr int maximumLogicalPartitions = 128;  // EBRs followed before the chain is cut
inline constexpr std::uint32_t maximumGPTEntries = 1'024;
inline constexpr std::uint32_t maximumGPTEntrySize = 4'096;
}  // namespace Limits

enum class Scheme { mbr, gpt };

// "MBR", "GPT".
std::string schemeName(Scheme scheme);

// What a partition's first sectors hold, for the two formats deleted-file recovery reads.
enum class VolumeFormat { none, fat32, exfat };

struct Partition {
    int number = 0;  // 1-4 primary, 5 onwards logical (MBR); entry index + 1 (GPT)
    std::int64_t startOffset = 0;
    std::int64_t sizeBytes = 0;  // clipped to the end of the disk
    std::string type;            // "0x0c" (MBR) or the type GUID in upper case (GPT)
    std::string typeName;        // "FAT32 (LBA)", "Microsoft basic data", "Linux"...; empty when unknown
    VolumeFormat format = VolumeFormat::none;
    std::string volumeLabel;  // empty when the volume has none

    bool operator==(const Partition&) const = default;
};

struct Table {
    Scheme scheme = Scheme::mbr;
    std::vector<Partition> partitions;  // by number
    // Entries dropped or clipped, in words ("Partition 2 overlaps partition 1 and was ignored.").
    std::vector<std::string> notes;
};

// Pure tests of a first sector: an MBR has the end mark, only 0x00 or 0x80 in
// its status bytes and at least one used entry, and is no volume's boot sector;
// a protective MBR (a GPT disk) has an entry of type 0xEE.
bool looksLikeMBR(std::span<const std::uint8_t> sector);
bool isProtectiveMBR(std::span<const std::uint8_t> sector);

// The CRC-32 GPT headers and entry arrays carry (the IEEE polynomial, reflected).
std::uint32_t crc32(std::span<const std::uint8_t> bytes);

// The table on a disk of `diskBytes` bytes; none when the first sectors hold
// no partition table (a bare volume, an empty disk). Read failures of the
// table's own sectors end in none too; a failed read of a partition's boot
// sector only leaves its format unknown.
std::optional<Table> read(const RawReader& reader, std::int64_t diskBytes);

// The partitions deleted-file recovery can scan.
std::vector<Partition> recoverablePartitions(const Table& table);

// "Partition 2 · exFAT · 24 MB · CARD" (number, format, size, label when there is one).
std::string partitionSummary(const Partition& partition);

}  // namespace tidewell::PartitionTable
