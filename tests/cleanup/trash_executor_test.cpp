#include "cleanup/trash_executor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cleanup/app_layout_fixture.h"
#include "cleanup/fake_tool.h"
#include "platform/layout_kind.h"
#include "platform/trash.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::AppLayoutFixture;
using testing::fakeToolCalls;
using testing::makeFakeTool;
using testing::readFile;
using testing::writeFile;
using Case = TrashExecutor::TrashError::Case;

ino_t inodeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}

// Routes whose desktop Trash always fails, so the later routes are reached.
TrashExecutor::Routes failingFileManager() {
    TrashExecutor::Routes routes;
    routes.fileManager = [](const fs::path&) -> fs::path { throw std::runtime_error("file manager refused"); };
    return routes;
}

class TrashExecutorTest : public ::testing::Test {
protected:
    AppLayoutFixture layout;
    fs::path tools = layout.home() / "tools";
    fs::path bundle = layout.makeBundle(layout.system("/Applications"), "Tool", {});
    fs::path homeTrash = platform::Trash::homeTrashFolder();

    // Expects the call to throw a TrashError of the case and text given.
    void expectTrashError(const fs::path& url, bool allow, const TrashExecutor::Routes& routes, Case kind,
                          const std::string& text) {
        try {
            TrashExecutor::moveToTrash(url, allow, routes);
            ADD_FAILURE() << "no error";
        } catch (const TrashExecutor::TrashError& error) {
            EXPECT_EQ(error.kind(), kind);
            EXPECT_EQ(std::string(error.what()), text);
        }
    }
};

TEST_F(TrashExecutorTest, DesktopTrashRouteKeepsTheItemWhole) {
    const fs::path cache = layout.home() / "Library/Caches/com.example.tool";
    writeFile(cache / "nested/blob", "cache bytes");
    const ino_t inode = inodeOf(cache / "nested/blob");
    const auto trashed = TrashExecutor::moveToTrash(cache, false);
    ASSERT_TRUE(trashed);
    EXPECT_EQ(*trashed, homeTrash / "files/com.example.tool");
    EXPECT_FALSE(fs::exists(cache));
    EXPECT_EQ(inodeOf(*trashed / "nested/blob"), inode);
    EXPECT_EQ(readFile(*trashed / "nested/blob"), "cache bytes");
    const std::string info = readFile(homeTrash / "info/com.example.tool.trashinfo");
    EXPECT_NE(info.find("\nPath=" + platform::Trash::percentEncodedPath(cache.native()) + "\n"), std::string::npos);
}

TEST_F(TrashExecutorTest, RecycleRouteFollowsAFailedDesktopTrash) {
    TrashExecutor::Routes routes = failingFileManager();
    const fs::path recycled = layout.home() / "recycled";
    fs::create_directories(recycled);
    routes.recycleTool = makeFakeTool(tools / "gio", "mv -- \"$3\" '" + recycled.native() + "'/").native();
    const fs::path log = layout.home() / "Library/Logs/old.log";
    writeFile(log, "log");
    EXPECT_EQ(TrashExecutor::moveToTrash(log, false, routes), std::nullopt);
    EXPECT_EQ(fakeToolCalls(*routes.recycleTool), "trash -- " + log.native() + "\n");
    EXPECT_EQ(readFile(recycled / "old.log"), "log");

    // A non-app item that no route moves ends with the recycle tool's error.
    routes.recycleTool = makeFakeTool(tools / "gio-failing", "echo 'gio: Unable to trash' >&2; exit 1").native();
    writeFile(log, "again");
    try {
        TrashExecutor::moveToTrash(log, true, routes);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "gio: Unable to trash");
    }
    EXPECT_EQ(readFile(log), "again");
}

TEST_F(TrashExecutorTest, AdministratorRouteNeedsPermission) {
    TrashExecutor::Routes routes = failingFileManager();
    routes.adminTool = makeFakeTool(tools / "pkexec", "exec \"$@\"").native();
    expectTrashError(bundle, false, routes, Case::adminAuthorizationRequired,
                     "Tool.app is installed for all users. Enable administrator permission in the cleanup plan "
                     "before moving it to Trash.");
    EXPECT_EQ(fakeToolCalls(*routes.adminTool), "");
    EXPECT_TRUE(fs::is_directory(bundle));
}

TEST_F(TrashExecutorTest, AdministratorRouteRenamesIntoTheTrashWithARecord) {
    TrashExecutor::Routes routes = failingFileManager();
    routes.adminTool = makeFakeTool(tools / "pkexec", "exec \"$@\"").native();
    const ino_t inode = inodeOf(bundle / "Contents/Info.plist");
    // A bundle of that name is already in the Trash.
    platform::Trash::prepareTrashFolder(homeTrash);
    fs::create_directories(homeTrash / "files/Tool.app");

    const auto trashed = TrashExecutor::moveToTrash(bundle, true, routes);
    ASSERT_TRUE(trashed);
    EXPECT_NE(trashed->filename(), "Tool.app");
    EXPECT_EQ(trashed->extension(), ".app");
    EXPECT_EQ(trashed->parent_path(), homeTrash / "files");
    EXPECT_FALSE(fs::exists(bundle));
    EXPECT_EQ(inodeOf(*trashed / "Contents/Info.plist"), inode);
    EXPECT_EQ(fakeToolCalls(*routes.adminTool), "/bin/mv -n -T -- " + bundle.native() + " " + trashed->native() + "\n");
    const fs::path info = homeTrash / "info" / (trashed->filename().native() + ".trashinfo");
    EXPECT_NE(readFile(info).find("\nPath=" + platform::Trash::percentEncodedPath(bundle.native()) + "\n"),
              std::string::npos);
}

TEST_F(TrashExecutorTest, AdministratorFailuresKeepTheToolsWords) {
    TrashExecutor::Routes routes = failingFileManager();
    routes.adminTool = makeFakeTool(tools / "pkexec", "exit 126").native();
    expectTrashError(bundle, true, routes, Case::adminMoveFailed,
                     "Administrator authorization was cancelled or failed.");
    routes.adminTool = makeFakeTool(tools / "pkexec-loud", "echo '  Not authorized.  ' >&2; exit 127").native();
    expectTrashError(bundle, true, routes, Case::adminMoveFailed, "Not authorized.");
    // Reporting success without moving anything is caught.
    routes.adminTool = makeFakeTool(tools / "pkexec-liar", "exit 0").native();
    expectTrashError(bundle, true, routes, Case::originalStillExists,
                     "macOS reported the move completed, but the original app still exists at " + bundle.native() +
                         ". This usually means the app requires administrator authorization or is still running.");
    EXPECT_TRUE(fs::is_directory(bundle));
    EXPECT_TRUE(fs::is_empty(homeTrash / "info"));
}

TEST_F(TrashExecutorTest, ProtectedBundlesNeverReachTheAdministratorTool) {
    TrashExecutor::Routes routes = failingFileManager();
    routes.adminTool = makeFakeTool(tools / "pkexec", "exec \"$@\"").native();
    const fs::path system = layout.makeBundle(layout.system("/System/Applications"), "Sys", {});
    try {
        TrashExecutor::moveToTrash(system, true, routes);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "file manager refused");
    }
    EXPECT_EQ(fakeToolCalls(*routes.adminTool), "");
    EXPECT_TRUE(fs::is_directory(system));
}

TEST_F(TrashExecutorTest, ReportedSuccessThatLeavesTheItemIsAnError) {
    TrashExecutor::Routes routes;
    routes.fileManager = [](const fs::path& item) { return item; };
    const fs::path file = layout.home() / "Downloads/stuck.zip";
    writeFile(file, "zip");
    expectTrashError(file, true, routes, Case::originalStillExists,
                     "macOS reported the move completed, but the original app still exists at " + file.native() +
                         ". This usually means the app requires administrator authorization or is still running.");
    testing::ScopedEnvironment freedesktop{platform::layoutVariable, "freedesktop"};
    expectTrashError(file, true, routes, Case::originalStillExists,
                     "The move was reported as completed, but the original app still exists at " + file.native() +
                         ". This usually means the app requires administrator authorization or is still running.");
}

TEST(TrashExecutorHelpers, QuotingAndProtectedPaths) {
    EXPECT_EQ(TrashExecutor::shellQuote("it's here"), "'it'\\''s here'");
    EXPECT_EQ(TrashExecutor::shellQuote(""), "''");
    EXPECT_EQ(TrashExecutor::appleScriptString("say \"hi\" \\ bye"), "\"say \\\"hi\\\" \\\\ bye\"");
    for (const char* path : {"/System", "/System/Applications/X.app", "/bin/x", "/sbin", "/Library/Keychains/k"}) {
        EXPECT_TRUE(TrashExecutor::isProtectedAdminMovePath(path)) << path;
    }
    for (const char* path : {"/SystemOld/X.app", "/Applications/X.app", "/binaries", "/Library/KeychainsX"}) {
        EXPECT_FALSE(TrashExecutor::isProtectedAdminMovePath(path)) << path;
    }
    EXPECT_TRUE(TrashExecutor::isProtectedAdminMovePath("/Applications/../System/X.app"));
}

TEST(TrashExecutorHelpers, UniqueDestinations) {
    testing::TemporaryFolder folder;
    EXPECT_EQ(TrashExecutor::uniqueTrashDestination("/a/Tool.app", folder.path()), folder / "Tool.app");
    fs::create_directories(folder / "Tool.app");
    const fs::path first = TrashExecutor::uniqueTrashDestination("/a/Tool.app", folder.path());
    EXPECT_TRUE(first.filename().native().starts_with("Tool "));
    EXPECT_EQ(first.extension(), ".app");
    // Take the stamped names of this second and the next two so "-2" is needed.
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    for (auto stamp = now; stamp < now + 3; ++stamp) {
        fs::create_directories(folder / platform::Trash::candidateName("Tool.app", stamp, 1));
    }
    const std::string second = TrashExecutor::uniqueTrashDestination("/a/Tool.app", folder.path()).filename();
    EXPECT_TRUE(second.ends_with("-2.app")) << second;
}

}  // namespace
}  // namespace tidewell
