#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "firstaid/file_repair_diagnostic.h"

// The top-level atoms (boxes) of MP4/MOV/M4V containers, read directly from the file.
namespace tidewell::FileFirstAidEngine {

namespace MediaLimits {
inline constexpr std::size_t maximumTopLevelAtoms = 80;
inline constexpr std::size_t atomHeaderReadBytes = 16;
}  // namespace MediaLimits

struct AtomRecord {
    std::string type;      // four characters, "????" when not ASCII
    std::uint64_t offset;  // of the atom's header
    std::uint64_t size;    // including the header
    bool operator==(const AtomRecord&) const = default;
};

// The header at the start of bytes (at least 8 of them): the atom's type, its size as the
// header gives it (a size field of 0 means all of `room`, the bytes left where it stands) and
// the header's own length. None when a 64-bit size is not there whole. The size is not
// checked against the room: whether to trust it is the caller's to say.
struct AtomHeader {
    std::string type;  // four characters, "????" when not ASCII
    std::uint64_t size;
    std::uint64_t length;
};
std::optional<AtomHeader> atomHeader(std::span<const std::uint8_t> bytes, std::uint64_t room);

// Fills up to buffer.size() bytes from offset and returns how many it read.
using AtomByteReader = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> buffer)>;

// Reads ranges of an open file; the reader keeps a reference to it.
AtomByteReader atomFileReader(std::ifstream& file);

// Walks the atoms of [0, end): at most 80, at most 16 bytes read per atom.
// Never throws; a truncated or malformed atom ends the walk.
std::vector<AtomRecord> walkAtoms(const AtomByteReader& read, std::uint64_t end);
std::vector<AtomRecord> walkAtoms(std::span<const std::uint8_t> bytes);
std::vector<AtomRecord> parseTopLevelAtoms(const std::filesystem::path& url);

// The recommended action for a recording whose movie metadata is missing but whose media data
// holds recognisable frames: the repair from a reference clip.
inline constexpr const char* referenceRepairAction =
    "Choose a healthy clip from the same camera as a reference: Tidewell rebuilds the missing movie metadata "
    "from it and writes a new copy. The original file will not be changed.";

// Whether the diagnosis recommends the repair from a reference clip.
inline bool canRebuildFromReference(const FileRepairDiagnostic& diagnostic) {
    return diagnostic.kind == FileRepairKind::videoContainer && diagnostic.recommendedAction == referenceRepairAction;
}

FileRepairDiagnostic diagnoseVideo(const std::filesystem::path& url, std::int64_t sizeBytes);
std::vector<RepairPreviewItem> videoPreviewItems(const std::vector<AtomRecord>& atoms, bool ffmpegAvailable);

}  // namespace tidewell::FileFirstAidEngine
