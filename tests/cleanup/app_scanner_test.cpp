#include "cleanup/app_scanner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <thread>

#include "cleanup/app_layout_fixture.h"
#include "support/temporary_folder.h"

extern char** environ;

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::allocatedBytesByFind;
using testing::AppLayoutFixture;
using testing::writeFile;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

const AppInfo* findApp(const std::vector<AppInfo>& apps, const std::string& name) {
    auto found = std::find_if(apps.begin(), apps.end(), [&](const AppInfo& app) { return app.name == name; });
    return found == apps.end() ? nullptr : &*found;
}

std::vector<std::string> names(const std::vector<AppInfo>& apps) {
    std::vector<std::string> result;
    for (const AppInfo& app : apps) result.push_back(app.name);
    return result;
}

std::vector<Kind> kinds(const AppInfo& app) {
    std::vector<Kind> result;
    for (const CleanupCandidate& candidate : app.cleanupCandidates) result.push_back(candidate.kind);
    return result;
}

// The layout of the inventory pass: apps in every root, links, a dangling link,
// a bundle without identifier and things that are not listed.
class AppScannerLayout : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path applications = layout.system("/Applications");
        editor = layout.makeBundle(applications, "Editor",
                                   {{"CFBundleIdentifier", "com.vendor.editor"},
                                    {"CFBundleShortVersionString", "2.1"},
                                    {"CFBundleExecutable", "Editor"},
                                    {"CFBundleIconFile", "Editor"}},
                                   AppLayoutFixture::PlistFormat::xml, 50000);
        writeFile(editor / "Contents/Resources/Editor.icns", "icns");
        layout.makeBundle(applications, "Binary Tool",
                          {{"CFBundleIdentifier", "org.example.binarytool"},
                           {"CFBundleDisplayName", "Binary Tool Pro"},
                           {"CFBundleName", "BT"},
                           {"CFBundleShortVersionString", "1.0"}},
                          AppLayoutFixture::PlistFormat::binary);
        writeFile(applications / "NoID.app/Contents/Info.plist",
                  testing::xmlPropertyList(
                      {{"CFBundleName", "<string></string>"}, {"CFBundleShortVersionString", "<integer>3</integer>"}}));
        layout.makeBundle(applications / "Utilities", "Nested", {{"CFBundleIdentifier", "com.nested"}});
        layout.makeBundle(applications, ".Hidden", {{"CFBundleIdentifier", "com.hidden"}});
        layout.makeBundle(applications, "Shouting", {{"CFBundleIdentifier", "com.shouting"}});
        fs::rename(applications / "Shouting.app", applications / "Shouting.APP");
        writeFile(applications / "readme.txt", "not an app");

        const fs::path userApplications = layout.home() / "Applications";
        fs::create_directories(userApplications);
        fs::create_directory_symlink(editor, userApplications / "Editor.app");
        viewer = layout.makeBundle(layout.system("/Elsewhere"), "Viewer", {{"CFBundleIdentifier", "com.viewer"}});
        fs::create_directory_symlink(viewer, userApplications / "Viewer.app");
        fs::create_directory_symlink(layout.system("/Nowhere.app"), userApplications / "Dangling.app");
        fs::create_directory_symlink(layout.system("/Elsewhere"), userApplications / "Folder.app");

        calculator = layout.makeBundle(layout.system("/System/Applications"), "Calculator",
                                       {{"CFBundleIdentifier", "com.apple.calculator"}});
    }

    AppLayoutFixture layout;
    fs::path editor, viewer, calculator;
};

TEST_F(AppScannerLayout, ListsEachRootAppOnceUnprotectedFirstByName) {
    const auto apps = AppScanner::scan();
    EXPECT_EQ(names(apps), (std::vector<std::string>{"Binary Tool Pro", "Dangling", "Editor", "Folder", "NoID",
                                                     "Viewer", "Calculator"}));
    for (const AppInfo& app : apps) EXPECT_EQ(app.id, app.path);
}

TEST_F(AppScannerLayout, ReadsIdentityFromXmlAndBinaryInfo) {
    const auto apps = AppScanner::scan();
    const AppInfo* app = findApp(apps, "Editor");
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->path, editor.string());
    EXPECT_EQ(app->bundleIdentifier, "com.vendor.editor");
    EXPECT_EQ(app->version, "2.1");
    EXPECT_EQ(app->icon, editor / "Contents/Resources/Editor.icns");
    EXPECT_EQ(app->sizeBytes, allocatedBytesByFind(editor));
    EXPECT_GE(app->sizeBytes, 50000);
    EXPECT_FALSE(app->isProtected);
    EXPECT_EQ(app->statusText(), "Ready to Analyze");

    const AppInfo* binary = findApp(apps, "Binary Tool Pro");
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(binary->bundleIdentifier, "org.example.binarytool");
    EXPECT_EQ(binary->version, "1.0");
    EXPECT_EQ(binary->icon, std::nullopt);

    const AppInfo* noID = findApp(apps, "NoID");
    ASSERT_NE(noID, nullptr);
    EXPECT_EQ(noID->bundleIdentifier, "Unknown Bundle ID");
    EXPECT_EQ(noID->version, "-");
}

TEST_F(AppScannerLayout, LinkFirstReachedBecomesAnAppLinkCandidate) {
    const auto apps = AppScanner::scan();
    const AppInfo* app = findApp(apps, "Viewer");
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->path, viewer.string());
    const std::string link = (layout.home() / "Applications/Viewer.app").string();
    ASSERT_EQ(kinds(*app), (std::vector<Kind>{Kind::appLink, Kind::appBundle}));
    EXPECT_EQ(app->cleanupCandidates[0],
              (CleanupCandidate{link, Kind::appLink, "Viewer.app", link, 0, Safety::safe,
                                "Application link points to selected app bundle", true, true,
                                "Shortcut in Applications. Moving it prevents a broken app icon from remaining."}));
    EXPECT_EQ(app->cleanupCandidates[1],
              (CleanupCandidate{viewer.string(), Kind::appBundle, "Viewer.app", viewer.string(), app->sizeBytes,
                                Safety::safe, "Inside selected app bundle", true, true, "Main app bundle."}));

    // The home link to the app in /Applications was reached second: no link candidate.
    EXPECT_EQ(kinds(*findApp(apps, "Editor")), (std::vector<Kind>{Kind::appBundle}));
}

TEST_F(AppScannerLayout, DanglingOrNonAppLinksStandForThemselves) {
    const auto apps = AppScanner::scan();
    const AppInfo* dangling = findApp(apps, "Dangling");
    ASSERT_NE(dangling, nullptr);
    EXPECT_EQ(dangling->path, (layout.home() / "Applications/Dangling.app").string());
    EXPECT_EQ(dangling->bundleIdentifier, "Unknown Bundle ID");
    EXPECT_EQ(dangling->version, "-");
    EXPECT_EQ(dangling->sizeBytes, 0);
    EXPECT_EQ(kinds(*dangling), (std::vector<Kind>{Kind::appBundle}));

    const AppInfo* folder = findApp(apps, "Folder");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->path, (layout.home() / "Applications/Folder.app").string());
    EXPECT_EQ(kinds(*folder), (std::vector<Kind>{Kind::appBundle}));
}

TEST_F(AppScannerLayout, SystemAppsAreProtectedAndLocked) {
    const auto apps = AppScanner::scan();
    const AppInfo& app = apps.back();
    EXPECT_EQ(app.name, "Calculator");
    EXPECT_TRUE(app.isProtected);
    EXPECT_EQ(app.statusText(), "System Protected");
    EXPECT_EQ(app.usageSummary().level, UsageSummary::Level::protected_);
    ASSERT_EQ(app.cleanupCandidates.size(), 1u);
    EXPECT_EQ(
        app.cleanupCandidates[0],
        (CleanupCandidate{calculator.string(), Kind::appBundle, "Calculator.app", calculator.string(), app.sizeBytes,
                          Safety::protected_, "System application path", false, false, "System app is locked."}));
}

TEST(AppScannerHelpers, ResolvedAppURLFollowsOnlyLinksToAppFolders) {
    testing::TemporaryFolder folder;
    const fs::path real = folder / "Real.app";
    fs::create_directories(real);
    writeFile(folder / "File.app", "x");
    fs::create_directory_symlink(real, folder / "Link.app");
    fs::create_symlink(folder / "Link.app", folder / "Chain.app");
    fs::create_symlink(folder / "File.app", folder / "ToFile.app");
    fs::create_symlink(folder / "Missing.app", folder / "Dangling.app");

    const fs::path canonicalReal = fs::canonical(real);
    EXPECT_EQ(AppScanner::resolvedAppURL(real), real);
    EXPECT_EQ(AppScanner::resolvedAppURL(folder / "Link.app"), canonicalReal);
    EXPECT_EQ(AppScanner::resolvedAppURL(folder / "Chain.app"), canonicalReal);
    EXPECT_EQ(AppScanner::resolvedAppURL(folder / "ToFile.app"), folder / "ToFile.app");
    EXPECT_EQ(AppScanner::resolvedAppURL(folder / "Dangling.app"), folder / "Dangling.app");
}

TEST(AppScannerHelpers, DisplayNamePrefersDisplayNameThenNameThenFileName) {
    platform::AppBundle bundle{"/Applications/File Name.app", {}};
    EXPECT_EQ(AppScanner::displayName(bundle.path, nullptr), "File Name");
    EXPECT_EQ(AppScanner::displayName(bundle.path, &bundle), "File Name");
    bundle.info["CFBundleName"] = platform::PropertyListValue{std::string("Short")};
    EXPECT_EQ(AppScanner::displayName(bundle.path, &bundle), "Short");
    bundle.info["CFBundleDisplayName"] = platform::PropertyListValue{std::string()};
    EXPECT_EQ(AppScanner::displayName(bundle.path, &bundle), "Short");
    bundle.info["CFBundleDisplayName"] = platform::PropertyListValue{std::string("Shown")};
    EXPECT_EQ(AppScanner::displayName(bundle.path, &bundle), "Shown");
}

TEST(AppScannerHelpers, MemoryForAppUsesPlainPrefixOrExecutable) {
    const std::vector<platform::RunningProcess> running{
        {1, "/Applications/X.app/Contents/MacOS/X", 100},
        {2, "/Applications/X.app/Contents/Library/LoginItems/Helper.app/Contents/MacOS/Helper", 20},
        {3, "/Applications/X.app Beta/Contents/MacOS/X", 4},
        {4, "/usr/bin/x-runner", 7},
        {5, "/Applications/Y.app/Contents/MacOS/Y", 1000},
    };
    EXPECT_EQ(AppScanner::memoryForApp("/Applications/X.app", std::nullopt, running), 124);
    EXPECT_EQ(AppScanner::memoryForApp("/Applications/X.app", "/usr/bin/x-runner", running), 131);
    EXPECT_EQ(AppScanner::memoryForApp("/Applications/Z.app", std::nullopt, running), 0);
}

TEST(AppScannerHelpers, UsageDatesTakeAccessAsLastUsed) {
    testing::TemporaryFolder folder;
    const fs::path bundle = folder / "Dated.app";
    fs::create_directories(bundle);
    const timespec times[2] = {{1'700'000'000, 0}, {1'600'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, bundle.c_str(), times, 0), 0);
    const auto dates = AppScanner::usageDates(bundle);
    ASSERT_TRUE(dates.lastUsed.has_value());
    EXPECT_EQ(std::chrono::system_clock::to_time_t(*dates.lastUsed), 1'700'000'000);
    EXPECT_TRUE(dates.installed.has_value());

    const auto missing = AppScanner::usageDates(folder / "Missing.app");
    EXPECT_FALSE(missing.lastUsed.has_value());
    EXPECT_FALSE(missing.installed.has_value());
}

// The user's Library, Downloads and launch folders around the Editor app.
class AppScannerRelatedFiles : public AppScannerLayout {
protected:
    void SetUp() override {
        AppScannerLayout::SetUp();
        const fs::path library = layout.home() / "Library";
        writeFile(library / "Caches/com.vendor.editor/cache.db", std::string(9000, 'c'));
        writeFile(library / "Application Support/com.vendor.editor/store", std::string(5000, 's'));
        writeFile(library / "Application Support/Editor/named", std::string(3000, 'n'));
        writeFile(library / "Preferences/com.vendor.editor.plist", std::string(700, 'p'));
        writeFile(library / "Saved Application State/com.vendor.editor.savedState/windows", std::string(800, 'w'));
        writeFile(library / "Logs/com.vendor.editor.log", std::string(600, 'l'));
        writeFile(library / "Logs/Editor Helper.log", std::string(500, 'l'));
        writeFile(layout.home() / "Downloads/Editor-2.1.dmg", std::string(12000, 'd'));
        writeFile(layout.home() / "Downloads/Unrelated.zip", std::string(100, 'z'));
        writeFile(
            library / "LaunchAgents/com.vendor.editor.agent.plist",
            testing::xmlPropertyList({{"Label", testing::xmlString("com.vendor.editor.agent")},
                                      {"Program", testing::xmlString((editor / "Contents/MacOS/Editor").string())},
                                      {"RunAtLoad", "<true/>"}}));
        helper = layout.system("/Library/PrivilegedHelperTools/com.vendor.editor.helper");
        writeFile(helper, std::string(4000, 'h'));
        writeFile(layout.system("/Library/LaunchDaemons/com.vendor.editor.helper.plist"),
                  testing::xmlPropertyList({{"Label", testing::xmlString("com.vendor.editor.helper")},
                                            {"ProgramArguments", "<array>" + testing::xmlString(helper.string()) +
                                                                     "<string>--serve</string></array>"},
                                            {"KeepAlive", "<dict><key>SuccessfulExit</key><false/></dict>"}}));
    }

    fs::path helper;
};

TEST_F(AppScannerRelatedFiles, PermissionSensitiveScanCountsEveryCategory) {
    const auto apps = AppScanner::scan(true);
    const AppInfo* app = findApp(apps, "Editor");
    ASSERT_NE(app, nullptr);
    const fs::path library = layout.home() / "Library";
    EXPECT_EQ(app->cacheBytes, allocatedBytesByFind(library / "Caches/com.vendor.editor"));
    EXPECT_EQ(app->supportBytes, allocatedBytesByFind(library / "Application Support/com.vendor.editor"));
    EXPECT_EQ(app->preferenceBytes, allocatedBytesByFind(library / "Preferences/com.vendor.editor.plist"));
    EXPECT_EQ(app->savedStateBytes,
              allocatedBytesByFind(library / "Saved Application State/com.vendor.editor.savedState"));
    EXPECT_EQ(app->logBytes, allocatedBytesByFind(library / "Logs"));
    EXPECT_EQ(app->relatedBytes, app->cacheBytes + app->supportBytes +
                                     allocatedBytesByFind(library / "Application Support/Editor") +
                                     app->preferenceBytes + app->savedStateBytes + app->logBytes);
    EXPECT_EQ(app->installerCount, 1);
    EXPECT_EQ(app->installerBytes, allocatedBytesByFind(layout.home() / "Downloads/Editor-2.1.dmg"));
    EXPECT_EQ(app->totalDiskBytes(), app->sizeBytes + app->relatedBytes + app->installerBytes);
    ASSERT_EQ(app->launchAgents.size(), 2u);
    EXPECT_EQ(app->launchAgents[0].label, "com.vendor.editor.agent");
    EXPECT_EQ(app->launchAgents[1].helperPath, helper.string());
    EXPECT_EQ(app->statusText(), "Background Item");

    EXPECT_EQ(kinds(*app),
              (std::vector<Kind>{Kind::appBundle, Kind::cache, Kind::applicationSupport, Kind::applicationSupport,
                                 Kind::preferences, Kind::savedState, Kind::logs, Kind::logs, Kind::launchAgent,
                                 Kind::launchAgent, Kind::privilegedHelper, Kind::installer}));
    const CleanupCandidate& helperCandidate = app->cleanupCandidates[10];
    EXPECT_EQ(helperCandidate.label, "com.vendor.editor.helper");
    EXPECT_EQ(helperCandidate.sizeBytes, allocatedBytesByFind(helper));
    EXPECT_FALSE(helperCandidate.isSelectable);
}

TEST_F(AppScannerRelatedFiles, WithoutPermissionReadsNoUserOrLaunchFolder) {
    const fs::path library = layout.home() / "Library";
    const fs::path locked[] = {library, layout.home() / "Downloads", layout.system("/Library/LaunchAgents"),
                               layout.system("/Library/LaunchDaemons")};
    fs::create_directories(locked[2]);
    for (const fs::path& folder : locked) fs::permissions(folder, fs::perms::none);
    const auto apps = AppScanner::scan(false);
    for (const fs::path& folder : locked) fs::permissions(folder, fs::perms::owner_all);

    ASSERT_EQ(apps.size(), 7u);
    for (const AppInfo& app : apps) {
        EXPECT_EQ(app.relatedBytes, 0) << app.name;
        EXPECT_EQ(app.installerCount, 0) << app.name;
        EXPECT_TRUE(app.launchAgents.empty()) << app.name;
    }
    EXPECT_EQ(kinds(*findApp(apps, "Editor")), (std::vector<Kind>{Kind::appBundle}));
}

// Waits (bounded) until the child has replaced its image with the program.
bool waitForExec(pid_t pid, const fs::path& program) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        std::error_code error;
        if (fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error) == program) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(AppScannerRunning, ProcessInsideBundleMakesTheAppRunning) {
    AppLayoutFixture layout;
    const fs::path bundle =
        layout.makeBundle(layout.system("/Applications"), "Sleeper", {{"CFBundleIdentifier", "com.sleeper"}});
    layout.makeBundle(layout.system("/Applications"), "Idle", {{"CFBundleIdentifier", "com.idle"}});
    const fs::path program = bundle / "Contents/MacOS/sleeper";
    fs::create_directories(program.parent_path());
    fs::copy_file("/bin/sleep", program);
    fs::permissions(program, fs::perms::owner_all);

    std::string programText = program.string(), seconds = "60";
    char* argv[] = {programText.data(), seconds.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, programText.c_str(), nullptr, nullptr, argv, environ), 0);
    const bool started = waitForExec(pid, program);
    const auto apps = started ? AppScanner::scan() : std::vector<AppInfo>{};
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ASSERT_TRUE(started);

    const AppInfo* sleeper = findApp(apps, "Sleeper");
    ASSERT_NE(sleeper, nullptr);
    EXPECT_TRUE(sleeper->isRunning);
    EXPECT_GT(sleeper->memoryBytes, 0);
    EXPECT_EQ(sleeper->statusText(), "Running");
    EXPECT_EQ(sleeper->usageSummary().level, UsageSummary::Level::active);
    const AppInfo* idle = findApp(apps, "Idle");
    ASSERT_NE(idle, nullptr);
    EXPECT_FALSE(idle->isRunning);
    EXPECT_EQ(idle->memoryText(), "-");
}

}  // namespace
}  // namespace tidewell
