#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tidewell::FileCarving {

enum class WalkStatus {
    notThisFormat,  // the leading bytes do not start a file of this format
    complete,       // the structure was followed to its own end
    truncated,      // the structure runs past the bytes available, or breaks
};

// What following one file's own structure found.
struct StructureWalk {
    WalkStatus status = WalkStatus::notThisFormat;
    // Bytes from the file's start to its end (complete), or to the last byte
    // the structure still accounted for (truncated).
    std::int64_t length = 0;
    std::string kind;       // "JPEG", "PNG", "DOCX", "MOV", "CR2", ...
    std::string extension;  // "jpg", "png", "docx", "mov", "cr2", ...
    // The file's own date, "2024-06-01 14-03-22", where it carries one.
    std::optional<std::string> date;
    // The file's own title (PDF Info Title, ID3 title), unsanitised UTF-8.
    std::optional<std::string> title;

    bool operator==(const StructureWalk&) const = default;
};

// The walk as it stands, ended with `status`.
inline StructureWalk ended(StructureWalk walk, WalkStatus status) {
    walk.status = status;
    return walk;
}

}  // namespace tidewell::FileCarving
