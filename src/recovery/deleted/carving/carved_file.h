#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tidewell::FileCarving {

enum class CarvedStatus {
    good,         // structure complete, and the validator read the content
    unvalidated,  // structure complete; no validator judged the content
    partial,      // structure cut short or broken, or the validator refused it
};

// "Good", "Unvalidated", "Partial".
std::string rawValue(CarvedStatus status);

// One file found by carving, assumed contiguous from its start cluster.
struct CarvedFile {
    std::string kind;              // "JPEG", "PNG", "MP4", "PDF", "DOCX", ...
    std::string extension;         // "jpg", "png", "mp4", "pdf", "docx", ...
    std::int64_t startOffset = 0;  // in the volume
    std::uint32_t startCluster = 0;
    std::int64_t length = 0;
    CarvedStatus status = CarvedStatus::partial;
    // Why the file is partial, or why the validator refused it; empty otherwise.
    std::string problem;
    std::optional<std::string> date;   // "2024-06-01 14-03-22"
    std::optional<std::string> title;  // as the file carries it, unsanitised

    bool operator==(const CarvedFile&) const = default;
};

}  // namespace tidewell::FileCarving
