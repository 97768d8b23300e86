#include "cleanup/safety_policy.h"

#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"
#include "cleanup/xdg_home_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::AppLayoutFixture;
using testing::writeFile;
using testing::XDGHomeFixture;
using Kind = CleanupCandidateKind;

CleanupCandidate candidate(const fs::path& path, Kind kind, bool selectable = true) {
    CleanupCandidate result;
    result.id = result.path = path.native();
    result.kind = kind;
    result.isSelectable = selectable;
    return result;
}

SafeCleanupItem safeItem(const fs::path& path) {
    return {path.native(), SafeCleanupItem::Category::caches, path.filename().native(), path.native(), 1, ""};
}

AppInfo app(const fs::path& path, bool isProtected = false) {
    AppInfo info;
    info.id = info.path = path.native();
    info.isProtected = isProtected;
    return info;
}

TEST(StandardizedPath, FoldsDotsAndSeparators) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"/a/./b//c/", "/a/b/c"},     {"/a/b/../c", "/a/c"}, {"/../x", "/../x"}, {"/a/../../x", "/../x"}, {"/", "/"},
        {"relative/x", std::nullopt}, {"", std::nullopt},    {"/a/..", "/"},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(SafetyPolicy::standardizedPath(input), expected) << input;
}

class SafetyPolicyTest : public ::testing::Test {
protected:
    AppLayoutFixture layout;
    fs::path home = layout.home();
};

TEST_F(SafetyPolicyTest, LocationListsUseTheInsideRule) {
    EXPECT_TRUE(SafetyPolicy::isProtectedPath((home / "Documents").native()));
    EXPECT_TRUE(SafetyPolicy::isProtectedPath((home / "Library/Group Containers/x").native()));
    EXPECT_FALSE(SafetyPolicy::isProtectedPath((home / "DocumentsOld/x").native()));
    EXPECT_TRUE(SafetyPolicy::isProtectedPath(layout.system("/System/Library").native()));
    EXPECT_TRUE(SafetyPolicy::isAllowedAppBundlePath(layout.system("/Applications").native()));
    EXPECT_TRUE(SafetyPolicy::isAllowedAppBundlePath(layout.system("/opt/x.app").native()));
    EXPECT_FALSE(SafetyPolicy::isAllowedAppBundlePath(layout.system("/ApplicationsOld/x.app").native()));
    EXPECT_FALSE(SafetyPolicy::needsAdminAuthorizationForAppBundlePath((home / "Applications/X.app").native()));
    EXPECT_TRUE(SafetyPolicy::needsAdminAuthorizationForAppBundlePath(layout.system("/Applications/X.app").native()));
    EXPECT_TRUE(SafetyPolicy::needsAdminAuthorizationForAppBundlePath(layout.system("/usr/local/X.app").native()));
}

TEST_F(SafetyPolicyTest, AppBundlesAreJudgedAtTheirRealPlace) {
    const fs::path bundle = layout.makeBundle(layout.system("/Applications"), "Tool", {});
    EXPECT_TRUE(SafetyPolicy::canMoveAppBundleToTrash(app(bundle)));
    EXPECT_FALSE(SafetyPolicy::canMoveAppBundleToTrash(app(bundle, true)));
    const fs::path old = layout.makeBundle(layout.system("/ApplicationsOld"), "x", {});
    EXPECT_FALSE(SafetyPolicy::canMoveAppBundleToTrash(app(old)));
    const fs::path desktop = layout.makeBundle(home / "Desktop", "Desk", {});
    EXPECT_FALSE(SafetyPolicy::canMoveAppBundleToTrash(app(desktop)));
    const fs::path system = layout.makeBundle(layout.system("/System/Applications"), "Sys", {});
    EXPECT_FALSE(SafetyPolicy::canMoveAppBundleToTrash(app(system, true)));
    EXPECT_FALSE(SafetyPolicy::canMoveAppBundleToTrash(app(system)));
    // A link in /Applications to a bundle elsewhere stands for the real bundle.
    fs::create_symlink(old, layout.system("/Applications/Linked.app"));
    EXPECT_FALSE(SafetyPolicy::canMoveAppBundleToTrash(app(layout.system("/Applications/Linked.app"))));
    EXPECT_FALSE(SafetyPolicy::canMoveAppBundleToTrash(app(layout.system("/Applications/Gone.app"))));
    EXPECT_TRUE(SafetyPolicy::canMoveAppBundleToTrash(app(layout.system("/Applications/./x/../Tool.app"))));
}

TEST_F(SafetyPolicyTest, AppLinksMustBeLinks) {
    const fs::path bundle = layout.makeBundle(layout.system("/Applications"), "Tool", {});
    const fs::path link = home / "Applications/Tool.app";
    fs::create_directories(link.parent_path());
    fs::create_symlink(bundle, link);
    const AppInfo owner = app(bundle);
    EXPECT_TRUE(SafetyPolicy::canMoveCandidateToTrash(candidate(link, Kind::appLink), owner));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(bundle, Kind::appLink), owner));
    // The bundle kind judges the app's recorded path, not the candidate's.
    EXPECT_TRUE(SafetyPolicy::canMoveCandidateToTrash(candidate(home / "elsewhere", Kind::appBundle), owner));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(bundle, Kind::appBundle, false), owner));
}

TEST_F(SafetyPolicyTest, CacheReplacedByLinkBetweenPlanAndMoveIsRefused) {
    const fs::path cache = home / "Library/Caches/com.example.tool";
    writeFile(cache / "data", "cached");
    const CleanupCandidate planned = candidate(cache, Kind::cache);
    const AppInfo owner = app(layout.system("/Applications/Tool.app"));
    ASSERT_TRUE(SafetyPolicy::canMoveCandidateToTrash(planned, owner));

    const fs::path moved = home / "Documents/keep";
    fs::create_directories(moved.parent_path());
    fs::rename(cache, moved);
    fs::create_directory_symlink(moved, cache);
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(planned, owner));

    fs::remove(cache);
    fs::rename(moved, cache);
    EXPECT_TRUE(SafetyPolicy::canMoveCandidateToTrash(planned, owner));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(cache, Kind::cache, false), owner));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(home / "Library/Caches/gone", Kind::cache), owner));
    const std::string climbing = (home / "Library/Caches/../../../../../../../../../..").native() + cache.native();
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(climbing, Kind::cache), owner));
    const std::string dotted = (home / "Library/./Caches/x/../com.example.tool").native();
    EXPECT_TRUE(SafetyPolicy::canMoveCandidateToTrash(candidate(dotted, Kind::cache), owner));
}

TEST_F(SafetyPolicyTest, OnlyUserStartupItemsMove) {
    const AppInfo owner = app(layout.system("/Applications/Tool.app"));
    const fs::path user = home / "Library/LaunchAgents/com.example.tool.plist";
    const fs::path systemWide = layout.system("/Library/LaunchAgents/com.example.tool.plist");
    writeFile(user, "plist");
    writeFile(systemWide, "plist");
    EXPECT_TRUE(SafetyPolicy::canMoveCandidateToTrash(candidate(user, Kind::launchAgent), owner));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(systemWide, Kind::launchAgent), owner));
    // A plist elsewhere in the allowed folders is not a startup item to move.
    writeFile(home / "Library/Caches/agent.plist", "plist");
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(
        candidate(home / "Library/Caches/agent.plist", Kind::launchAgent), owner));
    const fs::path helper = layout.system("/Library/PrivilegedHelperTools/com.example.helper");
    writeFile(helper, "binary");
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(helper, Kind::privilegedHelper), owner));
    writeFile(home / "Downloads/Tool.dmg", "dmg");
    EXPECT_TRUE(SafetyPolicy::canMoveCandidateToTrash(candidate(home / "Downloads/Tool.dmg", Kind::installer), owner));
}

TEST_F(SafetyPolicyTest, GroupContainersAreForLeftoversOnly) {
    const fs::path group = home / "Library/Group Containers/group.com.example.tool";
    writeFile(group / "data", "x");
    const AppInfo owner = app(layout.system("/Applications/Tool.app"));
    EXPECT_TRUE(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate(group, Kind::groupContainer)));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(group, Kind::groupContainer), owner));
    EXPECT_FALSE(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate(group, Kind::groupContainer, false)));
    const fs::path container = home / "Library/Containers/com.example.tool";
    fs::create_directories(container);
    EXPECT_TRUE(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate(container, Kind::container)));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(container, Kind::container), owner));
    const fs::path link = home / "Library/Containers/linked";
    fs::create_directory_symlink(container, link);
    EXPECT_FALSE(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate(link, Kind::container)));
    writeFile(home / "Documents/report.txt", "x");
    EXPECT_FALSE(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate(home / "Documents/report.txt", Kind::logs)));
}

TEST_F(SafetyPolicyTest, SafeCleanupItemsMustStillExist) {
    const fs::path log = home / "Library/Logs/old.log";
    writeFile(log, "log");
    EXPECT_TRUE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(log)));
    fs::remove(log);
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(log)));
    EXPECT_TRUE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(home / "Library/Logs")));
    writeFile(home / "Library/Application Support/x", "x");
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(home / "Library/Application Support/x")));
    fs::create_directories(home / "Downloads");
    fs::create_symlink(home / "Library/Application Support/x", home / "Downloads/x.zip");
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(home / "Downloads/x.zip")));
}

TEST(XDGSafetyPolicy, AppFilesInXDGFoldersButNeverSharedPlaces) {
    XDGHomeFixture fixture;
    const AppInfo app{};
    struct Row {
        fs::path path;
        Kind kind;
        bool allowed;
    };
    const Row rows[] = {
        {XDGHomeFixture::writeSized(fixture.cache() / "tool/x", 10).parent_path(), Kind::cache, true},
        {XDGHomeFixture::writeSized(fixture.config() / "toolrc", 10), Kind::preferences, true},
        {XDGHomeFixture::writeSized(fixture.data() / "tool/x", 10).parent_path(), Kind::applicationSupport, true},
        {XDGHomeFixture::writeSized(fixture.state() / "tool.log", 10), Kind::logs, true},
        {XDGHomeFixture::writeSized(fixture.home() / ".var/app/org.x.Tool/cache/x", 10).parent_path(), Kind::cache,
         true},
        {XDGHomeFixture::writeSized(fixture.home() / "snap/tool/x", 10).parent_path(), Kind::applicationSupport, true},
        {XDGHomeFixture::writeSized(fixture.downloads() / "tool.deb", 10), Kind::installer, true},
        {XDGHomeFixture::writeSized(fixture.config() / "autostart/tool.desktop", 10), Kind::launchAgent, true},
        {XDGHomeFixture::writeSized(fixture.config() / "systemd/user/tool.service", 10), Kind::launchAgent, true},
        {XDGHomeFixture::writeSized(fixture.config() / "toolrc2", 10), Kind::launchAgent, false},
        {XDGHomeFixture::writeSized(fixture.data() / "Trash/files/x", 10), Kind::cache, false},
        {fixture.data() / "Trash", Kind::cache, false},
        {XDGHomeFixture::writeSized(fixture.config() / "gnome-shell/x", 10).parent_path(), Kind::preferences, false},
        {XDGHomeFixture::writeSized(fixture.config() / "autostart/sub/x", 10).parent_path().parent_path(),
         Kind::preferences, false},
        {XDGHomeFixture::writeSized(fixture.home() / "notes.txt", 10), Kind::cache, false},
        {fixture.config(), Kind::preferences, false},
        {fixture.cache(), Kind::cache, false},
        {fixture.home() / ".var/app", Kind::container, false},
        {XDGHomeFixture::writeSized(fixture.home() / ".local/bin/tool", 10), Kind::cache, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SafetyPolicy::canMoveCandidateToTrash(candidate(row.path, row.kind), app), row.allowed) << row.path;
        if (row.kind != Kind::launchAgent && row.kind != Kind::installer) {
            EXPECT_EQ(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate(row.path, row.kind)), row.allowed)
                << row.path;
        }
    }
}

TEST(XDGSafetyPolicy, SafeCleanupPlaces) {
    XDGHomeFixture fixture;
    EXPECT_TRUE(SafetyPolicy::canMoveSafeCleanupItemToTrash(
        safeItem(XDGHomeFixture::writeSized(fixture.home() / ".xsession-errors.old", 10))));
    EXPECT_TRUE(SafetyPolicy::canMoveSafeCleanupItemToTrash(
        safeItem(XDGHomeFixture::writeSized(fixture.state() / "x.log", 10))));
    EXPECT_TRUE(SafetyPolicy::canMoveSafeCleanupItemToTrash(
        safeItem(XDGHomeFixture::writeSized(fixture.cache() / "thumbnails/x", 10).parent_path())));
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(
        safeItem(XDGHomeFixture::writeSized(fixture.home() / ".xsession-errors", 10))));
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(fixture.cache())));
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(fixture.state())));
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(
        safeItem(XDGHomeFixture::writeSized(fixture.config() / "x.conf", 10))));
}

TEST(XDGSafetyPolicy, AnXDGVariableNamingHomeOpensNothing) {
    XDGHomeFixture fixture;
    testing::ScopedEnvironment cache("XDG_CACHE_HOME", fixture.home().string());
    testing::writeFile(fixture.config() / "user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME\"\n");
    const fs::path notes = XDGHomeFixture::writeSized(fixture.home() / "notes.txt", 10);
    EXPECT_FALSE(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate(notes, Kind::cache)));
    EXPECT_FALSE(SafetyPolicy::canMoveCandidateToTrash(candidate(notes, Kind::installer), AppInfo{}));
    EXPECT_FALSE(SafetyPolicy::canMoveSafeCleanupItemToTrash(safeItem(notes)));
}

// Apps the user installed by hand go to the Trash from their own places only; what a
// package manager owns is handed to it only for the unprotected app it listed.
TEST(XDGSafetyPolicy, LinuxAppsLeaveByTheirOwnRouteOnly) {
    XDGHomeFixture fixture;
    const auto linuxApp = [](const fs::path& path, const std::string& origin, bool isProtected = false) {
        AppInfo info = app(path, isProtected);
        info.origin = origin;
        return info;
    };
    const auto bundle = [](const AppInfo& info, RemovalRoute route = RemovalRoute::trash) {
        CleanupCandidate result = candidate(info.path, Kind::appBundle);
        result.route = route;
        return result;
    };
    struct Row {
        AppInfo app;
        RemovalRoute route;
        bool allowed;
    };
    const fs::path image = XDGHomeFixture::writeSized(fixture.home() / "Applications/Tool.AppImage", 10);
    const fs::path strayImage = XDGHomeFixture::writeSized(fixture.home() / "Documents/Tool.AppImage", 10);
    const fs::path localFolder = XDGHomeFixture::writeSized(fixture.home() / "apps/tool/tool", 10).parent_path();
    const fs::path optFolder = XDGHomeFixture::writeSized(fixture.system("/opt/tool/tool"), 10).parent_path();
    fs::create_directories(fixture.home() / "linked");
    fs::create_symlink(localFolder, fixture.home() / "linked/tool");
    const Row rows[] = {
        {linuxApp(image, "AppImage"), RemovalRoute::trash, true},
        {linuxApp(strayImage, "AppImage"), RemovalRoute::trash, false},
        {linuxApp(localFolder, "Local"), RemovalRoute::trash, true},
        {linuxApp(optFolder, "Local"), RemovalRoute::trash, true},
        {linuxApp(fixture.home() / "linked/tool", "Local"), RemovalRoute::trash, true},  // judged where it lies
        {linuxApp(fixture.home() / ".local", "Local"), RemovalRoute::trash, false},
        {linuxApp(fixture.data(), "Local"), RemovalRoute::trash, false},
        {linuxApp(fixture.home(), "Local"), RemovalRoute::trash, false},
        {linuxApp(fixture.system("/opt"), "Local"), RemovalRoute::trash, false},
        {linuxApp(fixture.home() / ".var/app/org.x.Tool", "Local"), RemovalRoute::trash, false},
        {linuxApp(image, "AppImage", true), RemovalRoute::trash, false},
        {linuxApp(fixture.system("/usr/bin/tool"), "Debian package"), RemovalRoute::apt, true},
        {linuxApp(fixture.system("/usr/bin/tool"), "Debian package", true), RemovalRoute::apt, false},
        {linuxApp(fixture.system("/usr/bin/tool"), "Debian package"), RemovalRoute::flatpak, false},
        {linuxApp(fixture.system("/usr/bin/tool"), "Debian package"), RemovalRoute::trash, false},
        {linuxApp(fixture.system("/var/lib/flatpak/app/x"), "Flatpak"), RemovalRoute::flatpak, true},
        {linuxApp(fixture.system("/snap/tool/current"), "Snap"), RemovalRoute::snap, true},
        {linuxApp(fixture.system("/snap/tool/current"), "Snap"), RemovalRoute::apt, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SafetyPolicy::canCarryOutCandidate(bundle(row.app, row.route), row.app), row.allowed)
            << row.app.path << " " << row.app.origin << " " << rawValue(row.route);

    const AppInfo package = linuxApp(fixture.system("/usr/bin/tool"), "Debian package");
    CleanupCandidate elsewhere = bundle(package, RemovalRoute::apt);
    elsewhere.path = fixture.system("/usr/bin/other").string();
    EXPECT_FALSE(SafetyPolicy::canCarryOutCandidate(elsewhere, package)) << "a route stands for its own app only";
    CleanupCandidate locked = bundle(package, RemovalRoute::apt);
    locked.isSelectable = false;
    EXPECT_FALSE(SafetyPolicy::canCarryOutCandidate(locked, package));
}

TEST(XDGSafetyPolicy, MenuFilesAndHiddenAutostartEntriesHaveTheirOwnPlaces) {
    XDGHomeFixture fixture;
    const AppInfo someApp{};
    const fs::path entry = XDGHomeFixture::writeSized(fixture.data() / "applications/tool.desktop", 10);
    const fs::path icon = XDGHomeFixture::writeSized(fixture.data() / "icons/hicolor/48x48/apps/tool.png", 10);
    const fs::path dotIcon = XDGHomeFixture::writeSized(fixture.home() / ".icons/tool.svg", 10);
    const fs::path notIcon = XDGHomeFixture::writeSized(fixture.data() / "icons/hicolor/index.theme", 10);
    const fs::path systemEntry = XDGHomeFixture::writeSized(fixture.system("/usr/share/applications/t.desktop"), 10);
    fs::create_symlink(systemEntry, fixture.data() / "applications/linked.desktop");
    for (const fs::path& allowed : {entry, icon, dotIcon})
        EXPECT_TRUE(SafetyPolicy::canCarryOutCandidate(candidate(allowed, Kind::appLink), someApp)) << allowed;
    for (const fs::path& refused :
         {notIcon, systemEntry, fixture.data() / "applications/linked.desktop", fixture.data() / "applications"})
        EXPECT_FALSE(SafetyPolicy::canCarryOutCandidate(candidate(refused, Kind::appLink), someApp)) << refused;

    const auto hiding = [](const fs::path& path) {
        CleanupCandidate result = candidate(path, Kind::launchAgent);
        result.route = RemovalRoute::hiddenAutostart;
        return result;
    };
    const fs::path autostart = XDGHomeFixture::writeSized(fixture.system("/etc/xdg/autostart/agent.desktop"), 10);
    const fs::path nested = XDGHomeFixture::writeSized(fixture.system("/etc/xdg/autostart/sub/agent.desktop"), 10);
    const fs::path unit = XDGHomeFixture::writeSized(fixture.system("/usr/lib/systemd/user/agent.service"), 10);
    const fs::path userEntry = XDGHomeFixture::writeSized(fixture.config() / "autostart/agent.desktop", 10);
    EXPECT_TRUE(SafetyPolicy::canCarryOutCandidate(hiding(autostart), someApp));
    for (const fs::path& refused : {nested, unit, userEntry})
        EXPECT_FALSE(SafetyPolicy::canCarryOutCandidate(hiding(refused), someApp)) << refused;
    EXPECT_FALSE(SafetyPolicy::canCarryOutCandidate(candidate(autostart, Kind::launchAgent), someApp))
        << "a system entry itself never moves";
}

}  // namespace
}  // namespace tidewell
