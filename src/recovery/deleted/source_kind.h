#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "recovery/deleted/raw_reader.h"

// What a recovery source holds, told from its first sectors, so that a source
// deleted-file recovery cannot read is named instead of failing on a boot-sector check.
namespace tidewell::DeletedRecovery {

enum class SourceKind {
    fat32,
    exfat,
    fat12or16,
    ext2,
    ext3,
    ext4,
    ntfs,
    mbrPartitionTable,
    gptPartitionTable,
    unrecognised
};

// Bytes read from the start of a source for the test: the ext superblock ends at 2,048.
inline constexpr std::size_t sourceKindHeadBytes = 4'096;

// Pure: over the first bytes of a source (fewer than sourceKindHeadBytes is fine).
SourceKind detectSourceKind(std::span<const std::uint8_t> head);
// Reads the head (less when the source is shorter) and tests it; a source
// too short for one sector is unrecognised.
SourceKind detectSourceKind(const RawReader& reader);

// The kind a mounted volume's file-system name stands for ("vfat", "ext4",
// "ntfs3"...); none for names that say nothing about the format.
std::optional<SourceKind> sourceKindOfFileSystemName(const std::string& fileSystem);

bool isRecoverable(SourceKind kind);

// "an ext4 volume", "a disk with an MBR partition table", "nothing recognisable".
std::string sourceKindDescription(SourceKind kind);

// The one-sentence error for a source neither FAT32 nor exFAT; none for those two.
std::optional<std::string> unsupportedSourceMessage(SourceKind kind, const std::string& sourceName);

// The same sentence for a mounted volume, from its file-system name alone, so
// that listing reads no device; none when the name is FAT32, exFAT or says nothing.
std::optional<std::string> unsupportedMountedVolumeMessage(const std::string& fileSystem, const std::string& name);

// The label a FAT32 or exFAT volume carries; empty when it has none or the kind is another.
std::string volumeLabel(const RawReader& reader, SourceKind kind);

}  // namespace tidewell::DeletedRecovery
