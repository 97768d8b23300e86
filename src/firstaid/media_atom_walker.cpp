#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "firstaid/big_endian.h"
#include "firstaid/media_container.h"

namespace tidewell::FileFirstAidEngine {

namespace {

std::string atomType(std::span<const std::uint8_t> bytes) {
    if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte > 0x7F; })) return "????";
    return std::string(bytes.begin(), bytes.end());
}

// The atom whose header starts at offset, or none when the walk must stop.
std::optional<AtomRecord> atomAt(const AtomByteReader& read, std::uint64_t offset, std::uint64_t end) {
    std::array<std::uint8_t, MediaLimits::atomHeaderReadBytes> header{};
    const std::size_t count = std::min(read(offset, header), header.size());
    if (count < 8) return std::nullopt;
    auto atom = atomHeader(std::span<const std::uint8_t>(header.data(), count), end - offset);
    // Compared as end - offset so a huge 64-bit size cannot wrap around.
    if (!atom || atom->size < atom->length || atom->size > end - offset) return std::nullopt;
    return AtomRecord{std::move(atom->type), offset, atom->size};
}

}  // namespace

std::optional<AtomHeader> atomHeader(std::span<const std::uint8_t> bytes, std::uint64_t room) {
    const std::uint64_t sizeField = bigEndian(bytes.subspan(0, 4));
    AtomHeader header{atomType(bytes.subspan(4, 4)), sizeField, 8};
    if (sizeField == 1) {
        if (bytes.size() < 16) return std::nullopt;
        header.size = bigEndian(bytes.subspan(8, 8));
        header.length = 16;
    } else if (sizeField == 0) {
        header.size = room;
    }
    return header;
}

std::vector<AtomRecord> walkAtoms(const AtomByteReader& read, std::uint64_t end) {
    std::vector<AtomRecord> atoms;
    std::uint64_t offset = 0;
    while (offset < end && atoms.size() < MediaLimits::maximumTopLevelAtoms) {
        auto atom = atomAt(read, offset, end);
        if (!atom) break;
        offset += atom->size;
        atoms.push_back(std::move(*atom));
    }
    return atoms;
}

std::vector<AtomRecord> walkAtoms(std::span<const std::uint8_t> bytes) {
    auto read = [bytes](std::uint64_t offset, std::span<std::uint8_t> buffer) -> std::size_t {
        if (offset >= bytes.size()) return 0;
        const std::size_t count = std::min<std::uint64_t>(buffer.size(), bytes.size() - offset);
        std::memcpy(buffer.data(), bytes.data() + offset, count);
        return count;
    };
    return walkAtoms(read, bytes.size());
}

}  // namespace tidewell::FileFirstAidEngine
