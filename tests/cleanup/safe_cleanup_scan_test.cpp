#include "cleanup/safe_cleanup_scan.h"

#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"
#include "util/byte_size_text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::AppLayoutFixture;
using testing::writeFile;
using Category = SafeCleanupItem::Category;
using Clock = std::chrono::system_clock;
using Days = std::chrono::days;

void age(const fs::path& path, std::chrono::hours hours) {
    const auto when = fs::file_time_type::clock::now() - hours;
    fs::last_write_time(path, when);
}

std::vector<std::string> names(const std::vector<SafeCleanupItem>& items) {
    std::vector<std::string> result;
    for (const auto& item : items) result.push_back(item.name);
    return result;
}

TEST(SafeCleanupCategory, TextsAndRawValues) {
    EXPECT_EQ(rawValue(Category::caches), "Caches");
    EXPECT_EQ(safeCleanupCategoryFromRawValue("Logs"), Category::logs);
    EXPECT_EQ(safeCleanupCategoryFromRawValue("logs"), std::nullopt);
    EXPECT_EQ(title(Category::installers), "Installers");
    EXPECT_EQ(subtitle(Category::installers), "Downloaded .dmg / .pkg / .zip files");
    EXPECT_EQ(subtitle(Category::logs), "Old user log files");
    EXPECT_EQ(subtitle(Category::caches), "Rebuildable user cache files");
    EXPECT_EQ(symbolName(Category::installers), "shippingbox.fill");
    EXPECT_EQ(symbolName(Category::logs), "doc.text.fill");
    EXPECT_EQ(symbolName(Category::caches), "externaldrive.fill");
    const SafeCleanupItem item{"/x", Category::logs, "x", "/x", 2048, ""};
    EXPECT_EQ(item.sizeText(), tidewellString(2048));
}

TEST(SafeCleanupAge, CutoffIsCalendarDaysBeforeNow) {
    const auto now = Clock::now();
    platform::FileProperties values;
    values.modificationDate = now - Days(6);
    EXPECT_FALSE(AppScanner::isOlderThan(values, 7, now));
    values.modificationDate = now - Days(8);
    EXPECT_TRUE(AppScanner::isOlderThan(values, 7, now));
    values.modificationDate = now;
    EXPECT_TRUE(AppScanner::isOlderThan(values, 0, now));
    values.modificationDate.reset();
    values.creationDate = now - Days(1);
    EXPECT_FALSE(AppScanner::isOlderThan(values, 3, now));
    values.creationDate.reset();
    EXPECT_TRUE(AppScanner::isOlderThan(values, 3, now));  // undated counts as old
}

TEST(SafeCleanupScan, TopLevelItemsFilteredAndSorted) {
    AppLayoutFixture layout;
    const fs::path downloads = layout.home() / "Downloads";
    const fs::path logs = layout.home() / "Library/Logs";
    const fs::path caches = layout.home() / "Library/Caches";
    writeFile(downloads / "Tool.DMG", std::string(9000, 'd'));
    writeFile(downloads / "archive.iso", std::string(100, 'i'));
    writeFile(downloads / "notes.txt", std::string(100, 'n'));
    writeFile(downloads / ".hidden.zip", std::string(100, 'h'));
    writeFile(downloads / "empty.zip", "");
    writeFile(downloads / "Bundle.pkg/Contents/file", std::string(100, 'p'));
    fs::create_symlink(downloads / "Tool.DMG", downloads / "link.zip");
    writeFile(logs / "old.log", std::string(100, 'l'));
    writeFile(logs / "recent.log", std::string(100, 'l'));
    writeFile(logs / "nested/deep/inner.log", std::string(5000, 'l'));
    age(logs / "old.log", Days(8));
    age(logs / "recent.log", Days(6));
    age(logs / "nested", Days(30));
    writeFile(caches / "beta/blob", std::string(100, 'c'));
    writeFile(caches / "Alpha/blob", std::string(100, 'c'));
    writeFile(caches / "com.fresh/blob", std::string(100, 'c'));
    fs::create_directories(caches / "com.empty");
    fs::create_directory_symlink(caches / "beta", caches / "linked");
    for (const char* name : {"beta", "Alpha", "com.empty", "linked"}) age(caches / name, Days(4));
    age(caches / "com.fresh", Days(2));

    const auto items = AppScanner::scanSafeCleanup();
    EXPECT_EQ(names(items),
              (std::vector<std::string>{"Alpha", "beta", "Tool.DMG", "archive.iso", "nested", "old.log"}));
    const SafeCleanupItem& cache = items[0];
    EXPECT_EQ(cache.id, (caches / "Alpha").native());
    EXPECT_EQ(cache.path, cache.id);
    EXPECT_EQ(cache.category, Category::caches);
    EXPECT_EQ(cache.sizeBytes, testing::allocatedBytesByFind(caches / "Alpha"));
    EXPECT_EQ(cache.note, "User cache. Apps can recreate it when needed.");
    EXPECT_EQ(items[2].note,
              "Downloaded installer/archive. Move to Trash if you do not need to reinstall from this file.");
    EXPECT_EQ(items[2].category, Category::installers);
    EXPECT_EQ(items[4].note, "Old user log. Usually safe to move to Trash.");
    EXPECT_EQ(items[4].sizeBytes, testing::allocatedBytesByFind(logs / "nested"));
}

TEST(SafeCleanupScan, MissingFoldersYieldNothing) {
    AppLayoutFixture layout;
    EXPECT_TRUE(AppScanner::scanSafeCleanup().empty());
}

}  // namespace
}  // namespace tidewell
