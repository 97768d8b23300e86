#pragma once

namespace tidewell::AppScanner {

// Stands in for the identifier of a bundle that has none or cannot be opened;
// no identifier-based match is ever made with it.
inline constexpr const char* unknownBundleIdentifier = "Unknown Bundle ID";

}  // namespace tidewell::AppScanner
