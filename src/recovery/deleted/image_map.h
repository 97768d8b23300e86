#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The map kept beside a disk image ("<image>.map"): which byte ranges of the
// source were copied, which still wait, and which could not be read and were
// filled with zeros. It is what makes an interrupted imaging resumable.
//
// Text format, one line each, "\n" line ends:
//
//   # Tidewell disk image map
//   # source: sdb1
//   # size: 268435456
//   # sector: 512
//   0 4194304 copied
//   4194304 512 unreadable
//   4194816 264240640 pending
//
// The four header lines come first, in this order. The source line is
// informative; size and sector are decimal byte counts. Every later line is
// one range: start, length and status separated by one blank; start and
// length are decimal byte counts without sign or leading zeros, length is at
// least 1. The ranges follow each other without gap or overlap from 0 to
// size, and two neighbours never share a status. Statuses:
//   copied      read and written into the image
//   pending     not read yet
//   retry       a read failed; to be read again in smaller blocks
//   unreadable  failed sector by sector; zeros in the image
// Anything else makes the whole map unreadable.
namespace tidewell::DeviceImaging {

enum class RangeStatus { copied, pending, retry, unreadable };

std::string_view rawValue(RangeStatus status);
std::optional<RangeStatus> rangeStatusFromRawValue(std::string_view text);

struct MapRange {
    std::int64_t start = 0;
    std::int64_t length = 0;
    RangeStatus status = RangeStatus::pending;

    std::int64_t end() const { return start + length; }
    bool operator==(const MapRange&) const = default;
};

class ImageMap {
public:
    // A map with the whole source pending.
    ImageMap(std::string source, std::int64_t size, std::int64_t sectorSize);

    const std::string& source() const { return source_; }
    std::int64_t size() const { return size_; }
    std::int64_t sectorSize() const { return sectorSize_; }
    // Ordered, contiguous from 0 to size, neighbours of different status.
    const std::vector<MapRange>& ranges() const { return ranges_; }

    // Gives [start, start + length) the status (clamped to the source).
    void mark(std::int64_t start, std::int64_t length, RangeStatus status);
    std::vector<MapRange> rangesWith(RangeStatus status) const;
    std::int64_t bytesWith(RangeStatus status) const;

    std::string text() const;
    // The strict reader of text(); none for anything that is not exactly such a map.
    static std::optional<ImageMap> parse(std::string_view text);

    bool operator==(const ImageMap&) const = default;

private:
    std::string source_;
    std::int64_t size_;
    std::int64_t sectorSize_;
    std::vector<MapRange> ranges_;
};

// "<image>.map" beside the image.
std::filesystem::path mapPath(const std::filesystem::path& image);

}  // namespace tidewell::DeviceImaging
