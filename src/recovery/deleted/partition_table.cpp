#include "recovery/deleted/partition_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <variant>

#include "recovery/deleted/little_endian_bytes.h"
#include "recovery/deleted/recovery_error.h"
#include "recovery/deleted/slice_reader.h"
#include "recovery/deleted/source_kind.h"
#include "util/byte_size_text.h"

namespace tidewell::PartitionTable {

namespace {

using DeletedRecovery::RecoveryError;
using DeletedRecovery::SourceKind;

constexpr std::int64_t mbrSectorBytes = 512;
constexpr std::size_t entryTable = 446;

bool hasEndMark(std::span<const std::uint8_t> sector) {
    return sector.size() >= 512 && sector[510] == 0x55 && sector[511] == 0xAA;
}

bool holdsText(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
    return bytes.size() >= offset + text.size() && std::equal(text.begin(), text.end(), bytes.begin() + offset);
}

bool isExtendedType(std::uint8_t type) {
    return type == 0x05 || type == 0x0F || type == 0x85;
}

struct MBREntry {
    std::uint8_t status = 0;
    std::uint8_t type = 0;
    std::uint32_t firstSector = 0;
    std::uint32_t sectorCount = 0;
    bool isUsed() const { return type != 0 && sectorCount != 0; }
};

MBREntry mbrEntry(std::span<const std::uint8_t> sector, int index) {
    LittleEndianBytes fields(sector);
    const std::size_t at = entryTable + static_cast<std::size_t>(index) * 16;
    return {fields.u8(at), fields.u8(at + 4), fields.u32(at + 8), fields.u32(at + 12)};
}

std::string mbrTypeName(std::uint8_t type) {
    switch (type) {
        case 0x01:
            return "FAT12";
        case 0x04:
        case 0x06:
        case 0x0E:
            return "FAT16";
        case 0x07:
            return "NTFS or exFAT";
        case 0x0B:
            return "FAT32";
        case 0x0C:
            return "FAT32 (LBA)";
        case 0x82:
            return "Linux swap";
        case 0x83:
            return "Linux";
        case 0x8E:
            return "Linux LVM";
        case 0xEF:
            return "EFI system";
        default:
            return {};
    }
}

std::string hexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

// A GUID as it is written: the first three fields are little-endian on disk.
std::string guidText(std::span<const std::uint8_t> bytes) {
    static constexpr std::array<int, 16> order{3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string text;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", bytes[static_cast<std::size_t>(order[i])]);
        text += digits;
    }
    return text;
}

std::string gptTypeName(const std::string& guid) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> names{{
        {"EBD0A0A2-B9E5-4433-87C0-68B6B72699C7", "Microsoft basic data"},
        {"C12A7328-F81F-11D2-BA4B-00A0C93EC93B", "EFI system"},
        {"E3C9E316-0B5C-4DB8-817D-F92DF00215AE", "Microsoft reserved"},
        {"0FC63DAF-8483-4772-8E79-3D69D8477DE4", "Linux filesystem"},
        {"0657FD6D-A4AB-43C4-84E5-0933C84B4F4F", "Linux swap"},
        {"48465300-0000-11AA-AA11-00306543ECAC", "Apple HFS+"},
    }};
    for (const auto& [known, name] : names)
        if (guid == known) return std::string(name);
    return {};
}

std::optional<std::vector<std::uint8_t>> readOrNone(const RawReader& reader, std::int64_t offset, std::int64_t length,
                                                    std::int64_t diskBytes) {
    if (offset < 0 || length <= 0 || offset > diskBytes || length > diskBytes - offset) return std::nullopt;
    try {
        return reader.read(offset, static_cast<std::size_t>(length));
    } catch (const RecoveryError& error) {
        if (error.errorCase() == RecoveryError::Case::cancelled) throw;
        return std::nullopt;
    }
}

std::string numbered(int number) {
    return "Partition " + std::to_string(number);
}

// Collects the partitions a table names, clipping each to the disk and
// dropping those that cannot hold a volume; overlaps are settled at the end.
class Collector {
public:
    Collector(Scheme scheme, std::int64_t diskBytes) : diskBytes_(diskBytes) { table_.scheme = scheme; }

    // `first` and `count` in sectors of `sectorBytes`; both checked before multiplying.
    void add(int number, std::uint64_t first, std::uint64_t count, std::string type, std::string typeName,
             std::int64_t sectorBytes) {
        const auto diskSectors = static_cast<std::uint64_t>(diskBytes_ / sectorBytes);
        if (first == 0) return note(numbered(number) + " starts inside the partition table and was ignored.");
        if (first >= diskSectors) return note(numbered(number) + " starts beyond the end of the disk and was ignored.");
        if (count > diskSectors - first) {
            count = diskSectors - first;
            note(numbered(number) + " reaches beyond the end of the disk and was cut at the disk's end.");
        }
        Partition partition;
        partition.number = number;
        partition.startOffset = static_cast<std::int64_t>(first) * sectorBytes;
        partition.sizeBytes = static_cast<std::int64_t>(count) * sectorBytes;
        partition.type = std::move(type);
        partition.typeName = std::move(typeName);
        table_.partitions.push_back(std::move(partition));
    }

    void note(std::string text) { table_.notes.push_back(std::move(text)); }

    Table finish(const RawReader& reader) {
        std::sort(table_.partitions.begin(), table_.partitions.end(),
                  [](const Partition& a, const Partition& b) { return a.number < b.number; });
        std::vector<Partition> kept;
        for (Partition& partition : table_.partitions) {
            auto overlapped = std::find_if(kept.begin(), kept.end(), [&](const Partition& other) {
                return partition.startOffset < other.startOffset + other.sizeBytes &&
                       other.startOffset < partition.startOffset + partition.sizeBytes;
            });
            if (overlapped != kept.end()) {
                note(numbered(partition.number) + " overlaps partition " + std::to_string(overlapped->number) +
                     " and was ignored.");
                continue;
            }
            identifyVolume(partition, reader);
            kept.push_back(std::move(partition));
        }
        table_.partitions = std::move(kept);
        return std::move(table_);
    }

private:
    // Only the volume's own first sectors are read, through a reader that cannot leave the partition.
    static void identifyVolume(Partition& partition, const RawReader& reader) {
        SliceReader volume(std::shared_ptr<const RawReader>(&reader, [](const RawReader*) {}), partition.startOffset,
                           partition.sizeBytes);
        const SourceKind kind = DeletedRecovery::detectSourceKind(volume);
        if (kind == SourceKind::fat32) partition.format = VolumeFormat::fat32;
        if (kind == SourceKind::exfat) partition.format = VolumeFormat::exfat;
        partition.volumeLabel = DeletedRecovery::volumeLabel(volume, kind);
    }

    std::int64_t diskBytes_;
    Table table_;
};

// The extended boot records form a chain: each names one logical partition
// (relative to itself) and the next record (relative to the extended partition).
void readLogicalPartitions(const RawReader& reader, std::int64_t diskBytes, const MBREntry& extended,
                           Collector& collector) {
    const std::uint64_t base = extended.firstSector;
    const std::uint64_t end = base + extended.sectorCount;
    std::set<std::uint64_t> visited;
    std::uint64_t record = base;
    for (int number = 5;; ++number) {
        if (number - 4 > Limits::maximumLogicalPartitions)
            return collector.note("The chain of logical partitions is longer than " +
                                  std::to_string(Limits::maximumLogicalPartitions) + " and was cut.");
        if (!visited.insert(record).second)
            return collector.note("The chain of logical partitions loops back on itself and was cut.");
        if (record >= end || record > static_cast<std::uint64_t>(diskBytes / mbrSectorBytes)) return;
        auto sector = readOrNone(reader, static_cast<std::int64_t>(record) * mbrSectorBytes, mbrSectorBytes, diskBytes);
        if (!sector || !hasEndMark(*sector)) return collector.note("An extended boot record is unreadable.");
        const MBREntry logical = mbrEntry(*sector, 0);
        const MBREntry next = mbrEntry(*sector, 1);
        if (logical.isUsed()) {
            const std::uint64_t first = record + logical.firstSector;
            if (first + logical.sectorCount > end)
                collector.note(numbered(number) + " lies outside its extended partition and was ignored.");
            else
                collector.add(number, first, logical.sectorCount, hexByte(logical.type), mbrTypeName(logical.type),
                              mbrSectorBytes);
        }
        if (!next.isUsed() || !isExtendedType(next.type)) return;
        record = base + next.firstSector;
    }
}

Table readMBR(const RawReader& reader, std::int64_t diskBytes, std::span<const std::uint8_t> sector) {
    Collector collector(Scheme::mbr, diskBytes);
    bool extendedSeen = false;
    for (int index = 0; index < 4; ++index) {
        const MBREntry entry = mbrEntry(sector, index);
        if (!entry.isUsed()) continue;
        if (isExtendedType(entry.type)) {
            // One extended partition per disk; a second would start another chain over the same space.
            if (extendedSeen) {
                collector.note("A second extended partition was ignored.");
                continue;
            }
            extendedSeen = true;
            readLogicalPartitions(reader, diskBytes, entry, collector);
            continue;
        }
        collector.add(index + 1, entry.firstSector, entry.sectorCount, hexByte(entry.type), mbrTypeName(entry.type),
                      mbrSectorBytes);
    }
    return collector.finish(reader);
}

struct GPTHeader {
    std::uint64_t firstUsable = 0;
    std::uint64_t lastUsable = 0;
    std::uint64_t entriesLBA = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t entrySize = 0;
    std::uint32_t entriesCRC = 0;
};

// The header at `lba`, with its size, checksum and entry geometry checked; a
// reason in words when it is unusable.
std::variant<GPTHeader, std::string> readGPTHeader(const RawReader& reader, std::int64_t diskBytes,
                                                   std::int64_t sectorBytes, std::uint64_t lba) {
    if (lba > static_cast<std::uint64_t>(diskBytes / sectorBytes)) return std::string("The GPT header is missing.");
    auto sector = readOrNone(reader, static_cast<std::int64_t>(lba) * sectorBytes, sectorBytes, diskBytes);
    if (!sector || !holdsText(*sector, 0, "EFI PART")) return std::string("The GPT header is missing.");
    LittleEndianBytes fields(*sector);
    const std::uint32_t headerSize = fields.u32(12);
    if (headerSize < 92 || headerSize > static_cast<std::uint32_t>(sectorBytes))
        return std::string("The GPT header has an impossible size.");
    std::vector<std::uint8_t> checked(sector->begin(), sector->begin() + headerSize);
    std::fill(checked.begin() + 16, checked.begin() + 20, std::uint8_t{0});
    if (crc32(checked) != fields.u32(16)) return std::string("The GPT header fails its checksum.");
    GPTHeader header{fields.u64(40), fields.u64(48), fields.u64(72), fields.u32(80), fields.u32(84), fields.u32(88)};
    if (header.entryCount > Limits::maximumGPTEntries)
        return "The GPT lists " + std::to_string(header.entryCount) + " entries, more than the " +
               std::to_string(Limits::maximumGPTEntries) + " Tidewell reads.";
    if (header.entrySize < 128 || header.entrySize > Limits::maximumGPTEntrySize || header.entrySize % 8 != 0)
        return std::string("The GPT entries have an impossible size.");
    return header;
}

std::optional<Table> readGPT(const RawReader& reader, std::int64_t diskBytes, std::int64_t sectorBytes) {
    auto found = readGPTHeader(reader, diskBytes, sectorBytes, 1);
    std::string problem;
    if (auto* reason = std::get_if<std::string>(&found)) {
        // The backup header in the disk's last sector stands in for a damaged primary one.
        problem = *reason;
        found = readGPTHeader(reader, diskBytes, sectorBytes, static_cast<std::uint64_t>(diskBytes / sectorBytes) - 1);
    }
    if (auto* reason = std::get_if<std::string>(&found)) {
        if (!problem.empty() && problem != "The GPT header is missing.") *reason = problem;
        if (*reason == "The GPT header is missing." && sectorBytes != 4'096) return std::nullopt;
        Table table{Scheme::gpt, {}, {*reason + " No partitions were listed."}};
        return table;
    }
    const GPTHeader header = std::get<GPTHeader>(found);
    Collector collector(Scheme::gpt, diskBytes);
    if (!problem.empty()) collector.note(problem + " The backup header was used.");
    const std::int64_t arrayBytes = static_cast<std::int64_t>(header.entryCount) * header.entrySize;
    const bool arrayFits = header.entriesLBA <= static_cast<std::uint64_t>(diskBytes / sectorBytes);
    auto entries =
        arrayFits && arrayBytes > 0
            ? readOrNone(reader, static_cast<std::int64_t>(header.entriesLBA) * sectorBytes, arrayBytes, diskBytes)
            : std::nullopt;
    if (!entries || crc32(*entries) != header.entriesCRC) {
        collector.note("The GPT partition entries fail their checksum. No partitions were listed.");
        return collector.finish(reader);
    }
    std::span<const std::uint8_t> all(*entries);
    for (std::uint32_t index = 0; index < header.entryCount; ++index) {
        auto entry = all.subspan(static_cast<std::size_t>(index) * header.entrySize, header.entrySize);
        if (std::all_of(entry.begin(), entry.begin() + 16, [](std::uint8_t byte) { return byte == 0; })) continue;
        LittleEndianBytes fields(entry);
        const std::uint64_t first = fields.u64(32), last = fields.u64(40);
        const int number = static_cast<int>(index) + 1;
        if (last < first) {
            collector.note(numbered(number) + " ends before it starts and was ignored.");
            continue;
        }
        const std::string type = guidText(entry.first(16));
        collector.add(number, first, last - first + 1, type, gptTypeName(type), sectorBytes);
    }
    return collector.finish(reader);
}

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string schemeName(Scheme scheme) {
    return scheme == Scheme::gpt ? "GPT" : "MBR";
}

bool looksLikeMBR(std::span<const std::uint8_t> sector) {
    if (!hasEndMark(sector)) return false;
    // A volume's boot sector also ends in 55 AA; its code overlaps the entry table.
    if (holdsText(sector, 3, "EXFAT   ") || holdsText(sector, 3, "NTFS    ") || holdsText(sector, 82, "FAT32   ") ||
        holdsText(sector, 54, "FAT1"))
        return false;
    bool used = false;
    for (int index = 0; index < 4; ++index) {
        const MBREntry entry = mbrEntry(sector, index);
        if (entry.status != 0x00 && entry.status != 0x80) return false;
        used = used || entry.isUsed();
    }
    return used;
}

bool isProtectiveMBR(std::span<const std::uint8_t> sector) {
    if (!looksLikeMBR(sector)) return false;
    for (int index = 0; index < 4; ++index)
        if (mbrEntry(sector, index).type == 0xEE) return true;
    return false;
}

std::optional<Table> read(const RawReader& reader, std::int64_t diskBytes) {
    auto sector = readOrNone(reader, 0, mbrSectorBytes, diskBytes);
    if (!sector || !looksLikeMBR(*sector)) return std::nullopt;
    if (!isProtectiveMBR(*sector)) return readMBR(reader, diskBytes, *sector);
    // GPT disks with 4,096-byte sectors keep the header at byte 4,096.
    if (auto table = readGPT(reader, diskBytes, 512)) return table;
    return readGPT(reader, diskBytes, 4'096);
}

std::vector<Partition> recoverablePartitions(const Table& table) {
    std::vector<Partition> recoverable;
    for (const Partition& partition : table.partitions)
        if (partition.format != VolumeFormat::none) recoverable.push_back(partition);
    return recoverable;
}

std::string partitionSummary(const Partition& partition) {
    std::string format = partition.format == VolumeFormat::fat32   ? "FAT32"
                         : partition.format == VolumeFormat::exfat ? "exFAT"
                         : !partition.typeName.empty()             ? partition.typeName
                                                                   : partition.type;
    std::string text =
        "Partition " + std::to_string(partition.number) + " · " + format + " · " + tidewellString(partition.sizeBytes);
    if (!partition.volumeLabel.empty()) text += " · " + partition.volumeLabel;
    return text;
}

}  // namespace tidewell::PartitionTable
