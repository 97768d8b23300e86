#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tidewell::ExFATDeletedRecoveryEngine {

// One exFAT directory entry set: a file entry, its stream extension and its
// name entries.
struct FileSet {
    int secondaryCount = 0;
    std::uint16_t attributes = 0;
    bool noFATChain = false;
    std::string name;  // UTF-8
    std::uint32_t firstCluster = 0;
    std::int64_t dataLength = 0;

    bool isDirectory() const { return (attributes & 0x10) != 0; }
    bool operator==(const FileSet&) const = default;
};

inline constexpr std::size_t entrySize = 32;
inline constexpr std::uint8_t inUseBit = 0x80;
inline constexpr std::uint8_t fileEntryCode = 0x05;

// The set whose file entry starts at `offset`, in use or deleted. None when
// it claims fewer than two secondary entries, runs past the buffer, lacks a
// stream extension or has an empty name. Checksums and the name hash are not
// verified, and neither are the secondary entries' in-use bits.
std::optional<FileSet> parseFileSet(std::span<const std::uint8_t> data, std::size_t offset);

}  // namespace tidewell::ExFATDeletedRecoveryEngine
