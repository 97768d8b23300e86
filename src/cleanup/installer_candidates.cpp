#include "cleanup/installer_candidates.h"

#include "cleanup/folder_listing.h"
#include "cleanup/unknown_bundle_identifier.h"
#include "platform/disk_usage.h"
#include "platform/folder_locations.h"
#include "util/unicode_text.h"

namespace tidewell::AppScanner {

namespace fs = std::filesystem;

namespace {

bool isInstallerExtension(const std::string& extension) {
    const std::string lower = lowercased(extension);
    return lower == "dmg" || lower == "pkg" || lower == "zip";
}

// The whole identifier, then each dot-separated piece, normalised; only tokens
// longer than 3 characters ("com" and "app" would match far too much).
std::vector<std::string> bundleIdentifierTokens(const std::string& bundleID) {
    std::vector<std::string> pieces{bundleID};
    for (std::size_t start = 0;;) {
        const std::size_t dot = bundleID.find('.', start);
        pieces.push_back(bundleID.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    std::vector<std::string> tokens;
    for (const std::string& piece : pieces) {
        std::string token = normalizedToken(piece);
        if (decodeUTF8(token).size() > 3) tokens.push_back(std::move(token));
    }
    return tokens;
}

}  // namespace

std::string normalizedToken(std::string_view text) {
    std::u32string kept;
    for (char32_t character : decodeUTF8(text)) {
        const char32_t lower = lowercased(character);
        if (isLetterOrDigit(lower)) kept.push_back(lower);
    }
    return encodeUTF8(kept);
}

std::vector<InstallerCandidate> installerCandidates() {
    std::vector<InstallerCandidate> installers;
    for (const fs::path& child : visibleChildren(platform::FolderLocations::userDownloadsFolder())) {
        if (!isInstallerExtension(pathExtension(child))) continue;
        installers.push_back(
            InstallerCandidate{nameWithoutExtension(child), child.string(), platform::fileSize(child)});
    }
    return installers;
}

bool installer(const InstallerCandidate& candidate, const std::string& appName, const std::string& bundleID) {
    const std::string installerToken = normalizedToken(candidate.name);
    const std::string appToken = normalizedToken(appName);
    if (decodeUTF8(appToken).size() >= 4 && installerToken.find(appToken) != std::string::npos) return true;
    if (bundleID == unknownBundleIdentifier) return false;
    for (const std::string& token : bundleIdentifierTokens(bundleID))
        if (installerToken.find(token) != std::string::npos) return true;
    return false;
}

}  // namespace tidewell::AppScanner
