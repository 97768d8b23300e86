#pragma once

#include <filesystem>

namespace tidewell::screenshots {

// Writes `image`: a FAT32 camera card made by mkfs.vfat and mtools, holding a few photos of which
// most were deleted again, so a deleted-file scan has candidates with intact contents. Work files
// go to `scratch`. Throws std::runtime_error with a one-line reason when a tool is missing or fails.
void writeDeletedCardImage(const std::filesystem::path& image, const std::filesystem::path& scratch);

}  // namespace tidewell::screenshots
