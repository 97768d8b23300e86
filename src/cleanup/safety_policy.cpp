#include "cleanup/safety_policy.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/deny_list.h"
#include "platform/folder_locations.h"
#include "platform/folders.h"
#include "platform/policy_folders.h"
#include "platform/xdg_folders.h"
#include "util/path_containment.h"

namespace tidewell::SafetyPolicy {

namespace {

namespace fs = std::filesystem;
namespace locations = platform::FolderLocations;
using Kind = CleanupCandidateKind;

std::string standardizedRoot(const fs::path& folder) {
    return standardizedPath(folder.native()).value_or(folder.native());
}

std::vector<std::string> standardizedRoots(const std::vector<fs::path>& folders) {
    std::vector<std::string> roots;
    for (const fs::path& folder : folders) roots.push_back(standardizedRoot(folder));
    return roots;
}

bool isInsideAny(std::string_view path, const std::vector<std::string>& roots) {
    for (const std::string& root : roots) {
        if (isPathInside(path, root)) return true;
    }
    return false;
}

// Folders the user's settings name (XDG variables, user-dirs.dirs). One that holds Home
// itself (set to Home or "/") would open the whole home, so it is left out.
std::vector<std::string> rootsNotHoldingHome(const std::vector<fs::path>& folders) {
    const std::string home = standardizedRoot(platform::homeDirectory());
    std::vector<std::string> roots;
    for (const std::string& root : standardizedRoots(folders)) {
        if (!isPathInside(home, root)) roots.push_back(root);
    }
    return roots;
}

// The XDG base folders an app's files live in.
std::vector<std::string> xdgBaseFolders() {
    namespace xdg = platform::XDGFolders;
    return rootsNotHoldingHome({xdg::cacheHome(), xdg::configHome(), xdg::dataHome(), xdg::stateHome()});
}

// The sandbox homes of Flatpak apps (~/.var/app/<id>) and snaps (~/snap/<name>).
std::vector<std::string> sandboxDataFolders() {
    const fs::path home = platform::homeDirectory();
    return standardizedRoots({home / ".var/app", home / "snap"});
}

// The user's own startup folders: autostart entries and systemd user units.
std::vector<std::string> userStartupFolders() {
    const fs::path config = platform::XDGFolders::configHome();
    return standardizedRoots({locations::userLaunchAgentsFolder(), config / "autostart", config / "systemd/user"});
}

std::vector<std::string> joined(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

bool isStrictlyInsideAny(std::string_view path, const std::vector<std::string>& roots) {
    for (const std::string& root : roots) {
        if (path.size() > root.size() && isPathInside(path, root)) return true;
    }
    return false;
}

// A shared place of the desktop (the deny list) in an XDG base folder, or anything in it
// other than the user's own startup entries.
bool isInSharedXDGPlace(std::string_view path, Kind kind) {
    for (const std::string& root : xdgBaseFolders()) {
        if (path.size() <= root.size() || !isPathInside(path, root)) continue;
        const std::string_view below = path.substr(root.size() + 1);
        if (Freedesktop::isSharedPlace(below.substr(0, below.find('/'))) &&
            !(kind == Kind::launchAgent && isStrictlyInsideAny(path, userStartupFolders())))
            return true;
    }
    return false;
}

// An app's own entry in an XDG base folder or a sandbox home: strictly inside one (the
// folders themselves hold every app's files) and not a shared place of the desktop.
bool isInXDGAppPlace(std::string_view path, Kind kind) {
    return isStrictlyInsideAny(path, joined(xdgBaseFolders(), sandboxDataFolders())) && !isInSharedXDGPlace(path, kind);
}

std::vector<std::string> protectedPaths() {
    return standardizedRoots({locations::systemFolder(), locations::systemBinFolder(), locations::systemSbinFolder(),
                              locations::systemKeychainsFolder(), locations::userDocumentsFolder(),
                              locations::userDesktopFolder(), locations::userPicturesFolder(),
                              locations::userMoviesFolder(), locations::userMusicFolder(),
                              locations::userGroupContainersFolder(), locations::userMobileDocumentsFolder()});
}

std::vector<std::string> appLinkLocations() {
    return standardizedRoots({locations::applicationsFolder(), locations::userApplicationsFolder()});
}

std::vector<std::string> relatedCandidateLocations() {
    const auto library = standardizedRoots({locations::userCachesFolder(), locations::userApplicationSupportFolder(),
                                            locations::userPreferencesFolder(),
                                            locations::userSavedApplicationStateFolder(), locations::userLogsFolder(),
                                            locations::userDownloadsFolder(), locations::userLaunchAgentsFolder()});
    return joined(library, rootsNotHoldingHome({platform::XDGFolders::downloadsFolder()}));
}

std::vector<std::string> leftoverLocations() {
    return standardizedRoots({locations::userCachesFolder(), locations::userApplicationSupportFolder(),
                              locations::userPreferencesFolder(), locations::userSavedApplicationStateFolder(),
                              locations::userLogsFolder(), locations::userContainersFolder(),
                              locations::userGroupContainersFolder(), locations::userApplicationScriptsFolder(),
                              locations::userDownloadsFolder()});
}

std::vector<std::string> safeCleanupLocations() {
    namespace xdg = platform::XDGFolders;
    const auto library =
        standardizedRoots({locations::userDownloadsFolder(), locations::userLogsFolder(), locations::userCachesFolder(),
                           platform::homeDirectory() / ".xsession-errors.old"});
    return joined(library, rootsNotHoldingHome({xdg::downloadsFolder()}));
}

// Entries strictly inside the state and cache folders (never the folders themselves).
bool isInXDGSafeCleanupPlace(std::string_view path) {
    namespace xdg = platform::XDGFolders;
    return isStrictlyInsideAny(path, rootsNotHoldingHome({xdg::stateHome(), xdg::cacheHome()}));
}

bool climbsAboveRoot(std::string_view path) {
    return path.find("/../") != std::string_view::npos || path.ends_with("/..");
}

// The literal "/System/" and the re-rooted system folder are both off limits.
bool isBelowSystemFolder(std::string_view path) {
    const std::string systemFolder = standardizedRoot(locations::systemFolder());
    return path.starts_with("/System/") || path.starts_with(systemFolder + "/");
}

bool somethingExists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// None when the property cannot be read.
std::optional<bool> isSymbolicLink(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
    return S_ISLNK(status.st_mode);
}

bool isRealEntry(const std::string& path) {
    const auto link = isSymbolicLink(path);
    return link.has_value() && !*link;
}

bool isRealDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The checks shared by every non-bundle item: a sound absolute path outside
// the system folder with something at it. Answers the standardised path.
std::optional<std::string> preparedExistingPath(std::string_view path) {
    auto standardized = standardizedPath(path);
    if (!standardized || climbsAboveRoot(*standardized) || isBelowSystemFolder(*standardized)) return std::nullopt;
    if (!somethingExists(*standardized)) return std::nullopt;
    return standardized;
}

// The folders AppImages are kept in; the inventory finds them there.
std::vector<std::string> appImageFolders() {
    const fs::path home = platform::homeDirectory();
    return standardizedRoots({home / "Applications", home / ".local/bin", home / "AppImages", locations::optFolder()});
}

// A folder that holds Home or one of the XDG base folders (".local", "/opt" itself) is
// everyone's, never one app's.
bool holdsSharedFolders(std::string_view path) {
    for (const std::string& root : joined({standardizedRoot(platform::homeDirectory())}, xdgBaseFolders()))
        if (isPathInside(root, path)) return true;
    return false;
}

// An AppImage file in its folders, or a local app's own folder (or loose program) in Home
// or /opt that holds no shared folder and is no shared place of the desktop.
bool canMoveLinuxAppToTrash(const AppInfo& app, const std::string& path) {
    if (isProtectedPath(path) || !isRealEntry(path)) return false;
    if (app.origin == "AppImage") {
        struct stat status {};
        return isStrictlyInsideAny(path, appImageFolders()) && ::lstat(path.c_str(), &status) == 0 &&
               S_ISREG(status.st_mode);
    }
    const std::vector<std::string> places = {standardizedRoot(platform::homeDirectory()),
                                             standardizedRoot(locations::optFolder())};
    return isStrictlyInsideAny(path, places) && !holdsSharedFolders(path) &&
           !isInSharedXDGPlace(path, Kind::appBundle) &&
           !isInsideAny(path,
                        standardizedRoots({platform::homeDirectory() / ".var", platform::homeDirectory() / "snap"}));
}

// A menu entry in the user's applications folder, or an icon file in the user's icon
// folders: plain files the desktop reads, never links.
bool canMoveMenuFileToTrash(const std::string& path) {
    namespace xdg = platform::XDGFolders;
    const std::string extension = AppScanner::pathExtension(path);
    bool inPlace = false;
    if (extension == "desktop") {
        inPlace = isStrictlyInsideAny(path, standardizedRoots({xdg::dataHome() / "applications"}));
    } else if (extension == "png" || extension == "svg" || extension == "svgz" || extension == "xpm") {
        inPlace = isStrictlyInsideAny(path, standardizedRoots({xdg::dataHome() / "icons", xdg::dataHome() / "pixmaps",
                                                               platform::homeDirectory() / ".icons"}));
    }
    struct stat status {};
    return inPlace && ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// A package manager's removal stands for the app it listed, and only while it is unprotected.
bool isPackageRemovalOf(const CleanupCandidate& candidate, const AppInfo& app, std::string_view origin) {
    return candidate.kind == Kind::appBundle && app.origin == origin && !app.isProtected && candidate.path == app.path;
}

// A system autostart entry: a plain file directly in an autostart folder of the XDG
// configuration folders.
bool isSystemAutostartEntry(const CleanupCandidate& candidate) {
    std::vector<fs::path> folders;
    for (const fs::path& folder : platform::XDGFolders::configDirs()) folders.push_back(folder / "autostart");
    const auto path = standardizedPath(candidate.path);
    if (candidate.kind != Kind::launchAgent || !path || AppScanner::pathExtension(*path) != "desktop") return false;
    const std::vector<std::string> roots = standardizedRoots(folders);
    struct stat status {};
    return std::find(roots.begin(), roots.end(), fs::path(*path).parent_path().native()) != roots.end() &&
           ::lstat(path->c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool canMoveAppLinkToTrash(const CleanupCandidate& candidate) {
    const auto path = standardizedPath(candidate.path);
    if (path && !climbsAboveRoot(*path) && canMoveMenuFileToTrash(*path)) return true;
    if (!path || AppScanner::pathExtension(*path) != "app" || climbsAboveRoot(*path)) return false;
    if (isProtectedPath(*path) || !isInsideAny(*path, appLinkLocations())) return false;
    return isSymbolicLink(*path).value_or(false);
}

}  // namespace

std::optional<std::string> standardizedPath(std::string_view path) {
    if (!path.starts_with('/') || path.find('\0') != std::string_view::npos) return std::nullopt;
    std::vector<std::string_view> segments;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty() && segments.back() != "..") {
                segments.pop_back();
            } else {
                segments.push_back(segment);
            }
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string result;
    for (std::string_view segment : segments) {
        result += '/';
        result += segment;
    }
    return result.empty() ? "/" : result;
}

bool isProtectedPath(std::string_view path) {
    return isInsideAny(path, protectedPaths());
}

bool isAllowedAppBundlePath(std::string_view path) {
    return isInsideAny(path, standardizedRoots({locations::applicationsFolder(), locations::userApplicationsFolder(),
                                                locations::optFolder(), locations::usrLocalFolder()}));
}

bool needsAdminAuthorizationForAppBundlePath(std::string_view path) {
    const std::string standardized = standardizedPath(path).value_or(std::string(path));
    return !isPathInside(standardized, standardizedRoot(locations::userApplicationsFolder()));
}

bool canMoveAppBundleToTrash(const AppInfo& app) {
    if (app.isProtected) return false;
    const auto standardized = standardizedPath(app.path);
    if (!standardized || climbsAboveRoot(*standardized)) return false;
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(*standardized, error);
    if (error) return false;
    const std::string path = resolved.native();
    if (app.origin == "AppImage" || app.origin == "Local")
        return !climbsAboveRoot(path) && canMoveLinuxAppToTrash(app, path);
    if (AppScanner::pathExtension(path) != "app" || climbsAboveRoot(path)) return false;
    if (isProtectedPath(path) || !isAllowedAppBundlePath(path)) return false;
    return isRealDirectory(path);
}

bool canMoveCandidateToTrash(const CleanupCandidate& candidate, const AppInfo& app) {
    if (!candidate.isSelectable) return false;
    if (candidate.kind == Kind::appBundle) return canMoveAppBundleToTrash(app);
    if (candidate.kind == Kind::appLink) return canMoveAppLinkToTrash(candidate);
    const auto path = preparedExistingPath(candidate.path);
    if (!path || isProtectedPath(*path)) return false;
    if (candidate.kind == Kind::launchAgent && !isStrictlyInsideAny(*path, userStartupFolders())) {
        return false;  // system-wide startup items are never moved from here
    }
    return (isInsideAny(*path, relatedCandidateLocations()) || isInXDGAppPlace(*path, candidate.kind)) &&
           isRealEntry(*path);
}

bool canCarryOutCandidate(const CleanupCandidate& candidate, const AppInfo& app) {
    if (!candidate.isSelectable) return false;
    switch (candidate.route) {
        case RemovalRoute::trash:
            return canMoveCandidateToTrash(candidate, app);
        case RemovalRoute::flatpak:
            return isPackageRemovalOf(candidate, app, "Flatpak");
        case RemovalRoute::snap:
            return isPackageRemovalOf(candidate, app, "Snap");
        case RemovalRoute::apt:
            return isPackageRemovalOf(candidate, app, "Debian package");
        case RemovalRoute::hiddenAutostart:
            return isSystemAutostartEntry(candidate);
    }
    return false;
}

bool canMoveStandaloneCandidateToTrash(const CleanupCandidate& candidate) {
    if (!candidate.isSelectable) return false;
    const auto path = preparedExistingPath(candidate.path);
    return path && (isInsideAny(*path, leftoverLocations()) || isInXDGAppPlace(*path, candidate.kind)) &&
           isRealEntry(*path);
}

bool canMoveSafeCleanupItemToTrash(const SafeCleanupItem& item) {
    const auto path = preparedExistingPath(item.path);
    return path && (isInsideAny(*path, safeCleanupLocations()) || isInXDGSafeCleanupPlace(*path)) && isRealEntry(*path);
}

}  // namespace tidewell::SafetyPolicy
