#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::AppScanner {

// A disk image, package or archive in the user's Downloads folder.
struct InstallerCandidate {
    std::string name;  // file name without extension
    std::string path;
    std::int64_t sizeBytes = 0;

    bool operator==(const InstallerCandidate&) const = default;
};

// Direct children of Downloads ending in .dmg, .pkg or .zip (any case).
std::vector<InstallerCandidate> installerCandidates();

// True when the installer's name points at the app: by its name (4 letters or
// digits at least) or by a piece of its bundle identifier longer than 3.
bool installer(const InstallerCandidate& candidate, const std::string& appName, const std::string& bundleID);

// Lower-cased, keeping only Unicode letters and digits ("Editor-2.1" reads "editor21").
std::string normalizedToken(std::string_view text);

}  // namespace tidewell::AppScanner
