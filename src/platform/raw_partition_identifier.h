#pragma once

#include <string>

namespace tidewell::platform {

// True for the kernel name of a partition (sdXN, vdXN, mmcblkNpM, nvmeNnMpK)
// or of a loop device (loopN). Whole disks, paths, blanks and anything else
// are refused; both the application and the privileged helper check this.
bool isRawPartitionIdentifier(const std::string& identifier);

}  // namespace tidewell::platform
