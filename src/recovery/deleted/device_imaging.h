#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "recovery/deleted/image_map.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "util/progress.h"

// Copies a whole source (a partition read through the read-only helper, or any
// reader) into an image file on another volume, with a map beside it
// (image_map.h). Large sequential reads first; ranges that fail are read again
// in smaller and smaller blocks down to the sector size; what still fails is
// zeros in the image and "unreadable" in the map. The map is saved as the copy
// goes, so an interrupted or cancelled run resumes where it stopped and never
// reads a copied range again. The source is only read.
namespace tidewell::DeviceImaging {

namespace Limits {
inline constexpr std::int64_t copyBlockSize = 4 << 20;
// Then the sector size.
inline constexpr std::array<std::int64_t, 2> retryBlockSizes{64 << 10, 4 << 10};
// How often the map (and the image under it) is made durable during a run.
inline constexpr std::chrono::milliseconds mapSaveInterval{2000};
// Failed reads in a row, before any read succeeded, that mean the source
// cannot be read at all rather than that it has bad areas.
inline constexpr int failuresBeforeAnyRead = 16;
}  // namespace Limits

// what() is exactly the user-facing sentence.
class ImagingError : public std::runtime_error {
public:
    enum class Case {
        refusedDestination,
        existingImage,
        cannotResume,
        notEnoughSpace,
        unreadableSource,
        writeFailed,
        cancelled
    };
    ImagingError(Case errorCase, const std::string& message) : std::runtime_error(message), case_(errorCase) {}
    Case errorCase() const { return case_; }

private:
    Case case_;
};

struct Source {
    const RawReader* reader = nullptr;
    std::string name;  // shown in messages and written into the map
    std::int64_t sizeBytes = 0;
    std::int64_t sectorSize = 512;
    // Where the source is mounted: the image may not be written there.
    std::vector<std::filesystem::path> mountPoints;
    // When the source is itself a file: the image may not be that file.
    std::optional<std::filesystem::path> file;
};

struct Result {
    std::filesystem::path image;
    std::filesystem::path map;
    std::int64_t sizeBytes = 0;
    std::int64_t copiedBytes = 0;
    std::vector<MapRange> unreadable;  // zeros in the image

    bool isComplete() const { return unreadable.empty(); }
};

// Images the source into `image` (a new file, or with `resume` the image and
// map of an earlier run; with `resume` and neither present it starts anew).
// Refusals, a source that stops answering and write failures throw
// ImagingError; cancellation throws its cancelled case after saving the map.
Result makeImage(const Source& source, const std::filesystem::path& image, bool resume,
                 const RecoveryCancellationToken* cancellationToken = nullptr, const ProgressCallback& progress = {});

// Images a live partition (a kernel name such as sdb1) through the privileged
// helper; its size and sector size come from the kernel, and none of its mount
// points (nor `mountPoint`) may hold the image.
Result imagePartition(const std::string& deviceIdentifier, const std::string& name,
                      const std::optional<std::filesystem::path>& mountPoint, const std::filesystem::path& image,
                      bool resume, const RecoveryCancellationToken* cancellationToken = nullptr,
                      const ProgressCallback& progress = {});

}  // namespace tidewell::DeviceImaging
