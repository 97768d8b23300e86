#include "recovery/deleted/source_kind.h"

#include <algorithm>
#include <string_view>

#include "recovery/deleted/exfat_layout.h"
#include "recovery/deleted/fat32_layout.h"
#include "recovery/deleted/little_endian_bytes.h"
#include "recovery/deleted/partition_table.h"
#include "recovery/deleted/recovery_error.h"
#include "util/text_helpers.h"
#include "util/unicode_text.h"

namespace tidewell::DeletedRecovery {

namespace {

constexpr std::size_t sectorBytes = 512;

bool holdsText(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
    return bytes.size() >= offset + text.size() && std::equal(text.begin(), text.end(), bytes.begin() + offset);
}

// The FAT32 engine's own boot-sector test decides; its name field alone also
// counts, so a FAT32 volume the engine refuses (a huge table) gets the engine's message.
bool isFAT32BootSector(std::span<const std::uint8_t> head) {
    if (holdsText(head, 82, "FAT32   ")) return true;
    try {
        FATDeletedRecoveryEngine::parseLayout(head.first(std::min(head.size(), sectorBytes)));
        return true;
    } catch (const RecoveryError&) {
        return false;
    }
}

// The ext superblock sits 1,024 bytes in; its magic is at byte 56 of it. The
// feature flags tell the generations apart: extents or 64-bit mean ext4, a journal ext3.
std::optional<SourceKind> extKind(std::span<const std::uint8_t> head) {
    constexpr std::size_t superblock = 1'024;
    if (head.size() < superblock + 104) return std::nullopt;
    LittleEndianBytes fields(head.subspan(superblock));
    if (fields.u16(56) != 0xEF53) return std::nullopt;
    constexpr std::uint32_t extents = 0x40, bits64 = 0x80, flexGroups = 0x200;
    if ((fields.u32(96) & (extents | bits64 | flexGroups)) != 0) return SourceKind::ext4;
    constexpr std::uint32_t journal = 0x4;
    return (fields.u32(92) & journal) != 0 ? SourceKind::ext3 : SourceKind::ext2;
}

std::string trimmedLabel(std::string label) {
    label = text_helpers::trimmed(label);
    return label == "NO NAME" ? std::string() : label;
}

std::string fat32Label(const RawReader& reader) {
    auto boot = reader.read(0, sectorBytes);
    // The boot sector's copy of the label (bytes 71-81), blank-padded.
    return trimmedLabel(std::string(boot.begin() + 71, boot.begin() + 82));
}

// The volume-label entry (type 0x83) among the first cluster of the root directory.
std::string exfatLabel(const RawReader& reader) {
    auto layout = ExFATDeletedRecoveryEngine::readLayout(reader);
    auto root = reader.read(layout.offset(layout.rootDirectoryCluster),
                            static_cast<std::size_t>(std::min<std::int64_t>(layout.bytesPerCluster(), 65'536)));
    LittleEndianBytes fields(root);
    for (std::size_t offset = 0; offset + 32 <= root.size(); offset += 32) {
        const std::uint8_t type = fields.u8(offset);
        if (type == 0x00) break;
        if (type != 0x83) continue;
        const std::size_t units = std::min<std::size_t>(fields.u8(offset + 1), 11);
        std::u16string name;
        for (std::size_t unit = 0; unit < units; ++unit) name.push_back(fields.u16(offset + 2 + unit * 2));
        std::u32string decoded;
        for (char16_t unit : name) decoded.push_back(unit);  // labels are in the basic plane
        return text_helpers::trimmed(encodeUTF8(decoded));
    }
    return {};
}

}  // namespace

SourceKind detectSourceKind(std::span<const std::uint8_t> head) {
    if (head.size() < sectorBytes) return SourceKind::unrecognised;
    if (holdsText(head, 3, "EXFAT   ")) return SourceKind::exfat;
    if (holdsText(head, 3, "NTFS    ")) return SourceKind::ntfs;
    if (isFAT32BootSector(head)) return SourceKind::fat32;
    if (holdsText(head, 54, "FAT12") || holdsText(head, 54, "FAT16")) return SourceKind::fat12or16;
    if (PartitionTable::looksLikeMBR(head.first(sectorBytes)))
        return PartitionTable::isProtectiveMBR(head.first(sectorBytes)) ? SourceKind::gptPartitionTable
                                                                        : SourceKind::mbrPartitionTable;
    if (auto ext = extKind(head)) return *ext;
    return SourceKind::unrecognised;
}

SourceKind detectSourceKind(const RawReader& reader) {
    // A source shorter than the head is read in smaller steps rather than refused.
    for (std::size_t length : {sourceKindHeadBytes, std::size_t{2'048}, sectorBytes}) {
        try {
            return detectSourceKind(reader.read(0, length));
        } catch (const RecoveryError& error) {
            if (error.errorCase() == RecoveryError::Case::cancelled) throw;
        }
    }
    return SourceKind::unrecognised;
}

std::optional<SourceKind> sourceKindOfFileSystemName(const std::string& fileSystem) {
    const std::string name = text_helpers::lowercased(text_helpers::trimmed(fileSystem));
    if (name.find("exfat") != std::string::npos) return SourceKind::exfat;
    if (name == "vfat" || name == "fat32" || name == "msdos" || name == "ms-dos fat32") return SourceKind::fat32;
    if (name == "fat12" || name == "fat16") return SourceKind::fat12or16;
    if (name == "ext2") return SourceKind::ext2;
    if (name == "ext3") return SourceKind::ext3;
    if (name == "ext4") return SourceKind::ext4;
    if (name == "ntfs" || name == "ntfs3" || name == "ntfs-3g") return SourceKind::ntfs;
    return std::nullopt;
}

bool isRecoverable(SourceKind kind) {
    return kind == SourceKind::fat32 || kind == SourceKind::exfat;
}

std::string sourceKindDescription(SourceKind kind) {
    switch (kind) {
        case SourceKind::fat32:
            return "a FAT32 volume";
        case SourceKind::exfat:
            return "an exFAT volume";
        case SourceKind::fat12or16:
            return "a FAT12 or FAT16 volume";
        case SourceKind::ext2:
            return "an ext2 volume";
        case SourceKind::ext3:
            return "an ext3 volume";
        case SourceKind::ext4:
            return "an ext4 volume";
        case SourceKind::ntfs:
            return "an NTFS volume";
        case SourceKind::mbrPartitionTable:
            return "a disk with an MBR partition table";
        case SourceKind::gptPartitionTable:
            return "a disk with a GPT partition table";
        case SourceKind::unrecognised:
            break;
    }
    return "nothing recognisable";
}

std::optional<std::string> unsupportedSourceMessage(SourceKind kind, const std::string& sourceName) {
    if (isRecoverable(kind)) return std::nullopt;
    const std::string opening = "Deleted-file recovery reads FAT32 and exFAT volumes, but ";
    switch (kind) {
        case SourceKind::unrecognised:
            return opening + "nothing recognisable was found on " + sourceName + ".";
        case SourceKind::mbrPartitionTable:
        case SourceKind::gptPartitionTable:
            return opening + sourceName + " is " + sourceKindDescription(kind) + "; choose one of its partitions.";
        default:
            return opening + sourceName + " is " + sourceKindDescription(kind) + ".";
    }
}

std::optional<std::string> unsupportedMountedVolumeMessage(const std::string& fileSystem, const std::string& name) {
    const std::optional<SourceKind> kind = sourceKindOfFileSystemName(fileSystem);
    return kind ? unsupportedSourceMessage(*kind, name) : std::nullopt;
}

std::string volumeLabel(const RawReader& reader, SourceKind kind) {
    try {
        if (kind == SourceKind::fat32) return fat32Label(reader);
        if (kind == SourceKind::exfat) return exfatLabel(reader);
    } catch (const RecoveryError&) {
        // An unreadable label leaves the volume unnamed; the scan reports the damage.
    }
    return {};
}

}  // namespace tidewell::DeletedRecovery
