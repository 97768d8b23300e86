#include "cleanup/freedesktop/linux_safe_cleanup.h"

#include <gtest/gtest.h>

#include "cleanup/xdg_home_fixture.h"
#include "support/tree_snapshot.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;
using testing::XDGHomeFixture;
using Category = SafeCleanupItem::Category;
using std::chrono::hours;

std::vector<std::string> names(const std::vector<SafeCleanupItem>& items) {
    std::vector<std::string> result;
    for (const auto& item : items) result.push_back(item.name);
    return result;
}

TEST(LinuxSafeCleanupAgeLimits, OneRowPerCategory) {
    struct Row {
        Category category;
        int days;
    };
    const Row rows[] = {{Category::installers, 0}, {Category::logs, 7}, {Category::caches, 3}};
    for (const Row& row : rows) EXPECT_EQ(minimumAgeDays(row.category), row.days) << rawValue(row.category);
    EXPECT_EQ(ageLimits.size(), 3u);
}

TEST(LinuxSafeCleanup, InstallersOldLogsAndOldCaches) {
    XDGHomeFixture fixture;
    XDGHomeFixture::writeSized(fixture.downloads() / "tool_1.0_amd64.deb", 5000);
    XDGHomeFixture::writeSized(fixture.downloads() / "Editor.AppImage", 9000);
    XDGHomeFixture::writeSized(fixture.downloads() / "org.example.Viewer.flatpakref", 100);
    XDGHomeFixture::writeSized(fixture.downloads() / "photo.jpg", 100);
    fs::create_directories(fixture.downloads() / "folder.deb");

    XDGHomeFixture::age(XDGHomeFixture::writeSized(fixture.state() / "old.log", 5000), hours(24 * 8));
    XDGHomeFixture::age(XDGHomeFixture::writeSized(fixture.state() / "new.log", 3000), hours(24 * 6));
    XDGHomeFixture::age(XDGHomeFixture::writeSized(fixture.state() / "notes.txt", 3000), hours(24 * 30));
    XDGHomeFixture::age(XDGHomeFixture::writeSized(fixture.home() / ".xsession-errors.old", 2000), hours(24 * 8));
    XDGHomeFixture::age(XDGHomeFixture::writeSized(fixture.home() / ".xsession-errors", 2000), hours(24 * 8));

    XDGHomeFixture::writeSized(fixture.cache() / "oldcache/blob", 20000);
    XDGHomeFixture::age(fixture.cache() / "oldcache", hours(24 * 4));
    XDGHomeFixture::writeSized(fixture.cache() / "thumbnails/large/t.png", 8000);
    XDGHomeFixture::age(fixture.cache() / "thumbnails", hours(24 * 4));
    XDGHomeFixture::writeSized(fixture.cache() / "fresh/blob", 8000);
    XDGHomeFixture::age(fixture.cache() / "fresh", hours(24 * 2));
    XDGHomeFixture::writeSized(fixture.cache() / "Player/blob", 8000);
    XDGHomeFixture::age(fixture.cache() / "Player", hours(24 * 10));
    fs::create_directories(fixture.cache() / "empty");
    XDGHomeFixture::age(fixture.cache() / "empty", hours(24 * 10));
    fs::create_symlink(fixture.home() / "Documents", fixture.cache() / "link");

    const auto homeBefore = testing::treeSnapshot(fixture.home());
    const auto items = safeCleanupItems({"player"});
    EXPECT_EQ(names(items),
              (std::vector<std::string>{"oldcache", "thumbnails", "Editor.AppImage", "tool_1.0_amd64.deb",
                                        "org.example.Viewer.flatpakref", "old.log", ".xsession-errors.old"}));
    EXPECT_EQ(items[0].category, Category::caches);
    EXPECT_EQ(items[0].note, "User cache. Apps can recreate it when needed.");
    EXPECT_EQ(items[2].category, Category::installers);
    EXPECT_EQ(items[5].category, Category::logs);
    EXPECT_EQ(items[5].path, (fixture.state() / "old.log").string());
    EXPECT_EQ(testing::treeSnapshot(fixture.home()), homeBefore);

    // Without the running app its cache is offered too.
    EXPECT_EQ(safeCleanupItems({}).size(), items.size() + 1);
}

TEST(LinuxSafeCleanup, DownloadsOfUserDirs) {
    XDGHomeFixture fixture;
    testing::writeFile(fixture.config() / "user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n");
    XDGHomeFixture::writeSized(fixture.home() / "Fetched/tool.rpm", 3000);
    XDGHomeFixture::writeSized(fixture.downloads() / "left.rpm", 3000);
    EXPECT_EQ(names(safeCleanupItems({})), (std::vector<std::string>{"tool.rpm"}));
}

}  // namespace
}  // namespace tidewell::Freedesktop
