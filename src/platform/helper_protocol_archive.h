#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

// The keyed archive that carries one message between the application and the
// privileged raw-device helper, and its frame on the socket.
//
// Frame:   u32 LE header length | u32 LE bulk length | header | bulk
// Header:  "TWHA" | u8 n + operation | u8 n + class name | u8 entry count | entries
// Entry:   u8 n + key | u8 type | value
//          string: u32 LE n + UTF-8 bytes; int64: 8 bytes LE; int32: 4 bytes LE;
//          bool: one byte 0 or 1; data: no inline bytes, its bytes are the bulk.
// At most one data value per archive; it travels as the bulk so that a large
// read is received straight into its own buffer, never copied or re-encoded.
namespace tidewell::platform {

namespace HelperArchiveLimits {
inline constexpr std::size_t maxNameLength = 64;  // operation, class name and keys
inline constexpr std::size_t maxEntries = 16;
inline constexpr std::uint32_t maxStringLength = 64 * 1024;
inline constexpr std::uint32_t maxHeaderLength = 1024 * 1024;
inline constexpr std::uint32_t maxDataLength = 64 * 1024 * 1024;
inline constexpr std::size_t prefixLength = 8;
}  // namespace HelperArchiveLimits

using HelperBytes = std::vector<std::uint8_t>;
using HelperValue = std::variant<std::string, std::int64_t, std::int32_t, bool, HelperBytes>;

struct HelperArchive {
    std::string operation;
    std::string className;
    std::map<std::string, HelperValue> values;

    bool operator==(const HelperArchive&) const = default;
};

struct HelperFrameLengths {
    std::uint32_t header = 0;
    std::uint32_t bulk = 0;
};

// The frame minus the bulk bytes (prefix and header); the caller sends the
// bulk (bulkOf) right after it. Throws std::length_error when a limit is broken.
HelperBytes encodeHelperFrameHead(const HelperArchive& archive);
const HelperBytes* bulkOf(const HelperArchive& archive);

// The head of a frame whose bulk is streamed separately (bulkLength bytes from
// another source); the archive's data value is left empty.
HelperBytes encodeHelperFrameHead(const HelperArchive& archive, std::uint32_t bulkLength);

// The whole frame in one buffer (tests, fuzzing, small messages).
HelperBytes encodeHelperFrame(const HelperArchive& archive);

// Checks the eight prefix bytes against the limits before anything is allocated.
std::optional<HelperFrameLengths> decodeHelperFramePrefix(std::span<const std::uint8_t> prefix);

// Decodes a header; bulk becomes the value of the archive's data entry. Any
// malformed, duplicate, over-long or trailing byte rejects the whole archive.
std::optional<HelperArchive> decodeHelperArchive(std::span<const std::uint8_t> header, HelperBytes bulk);

// Prefix, header and bulk in one buffer; the buffer must hold exactly one frame.
std::optional<HelperArchive> decodeHelperFrame(std::span<const std::uint8_t> frame);

}  // namespace tidewell::platform
