#pragma once

#include <filesystem>

namespace tidewell {

// The installed application folder this process runs from: the nearest folder named
// "<name>.app" that holds the executable. A program that does not run from one answers
// its own executable's path.
std::filesystem::path runningApplicationBundle();
// The same rule over a given executable path.
std::filesystem::path applicationBundleHolding(const std::filesystem::path& executable);

}  // namespace tidewell
