#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "recovery/deleted/raw_reader.h"
#include "util/wholeness_check.h"

namespace tidewell::FileCarving {

namespace Limits {
// Larger images are left unvalidated rather than read whole into memory.
inline constexpr std::int64_t maxValidatedImageBytes = 256 * 1024 * 1024;
}  // namespace Limits

enum class Verdict { valid, invalid, notChecked };

struct Validation {
    Verdict verdict = Verdict::notChecked;
    std::string reason;  // why the content was refused; empty otherwise
    bool operator==(const Validation&) const = default;
};

// Judges the content of a structurally complete carved file: `kind` ("JPEG",
// "MP4", ...) and `length` bytes at `offset` of the volume. Upper layers give
// one that reaches the document checks; structure alone never makes a file good.
using ContentValidator = std::function<Validation(const std::string& kind, const RawReader& reader, std::int64_t offset,
                                                  std::int64_t length)>;

inline constexpr const char* undecodableImageReason = "The image data does not decode.";

// Decodes JPEG, PNG, GIF, TIFF and HEIC strictly with the platform decoders;
// other kinds (and images over the size limit) are not checked.
Validation validateImage(const std::string& kind, const RawReader& reader, std::int64_t offset, std::int64_t length);

// Asks `check` about a carved file copied to a temporary file named after its kind
// ("carved.pdf"). Lets the document and media checks of the upper layers judge carved files
// without this layer knowing them.
using FileCheck = std::function<WholenessCheck(const std::filesystem::path&)>;
ContentValidator fileCheckValidator(FileCheck check, std::int64_t maxBytes = Limits::maxValidatedImageBytes);

// The images by decoding them, everything else through `others` (when given).
ContentValidator combinedValidator(ContentValidator others);

}  // namespace tidewell::FileCarving
