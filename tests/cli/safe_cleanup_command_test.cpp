#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"
#include "cleanup/report_store.h"
#include "cleanup/xdg_home_fixture.h"
#include "cli/tidewell_process.h"
#include "cli/trash_contents.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using std::chrono::hours;
using ::testing::ElementsAre;
using testing::runTidewell;
using testing::trashedCopyOf;
using testing::XDGHomeFixture;

TEST(SafeCleanupCommandTest, YesMovesTheInstallersAndOldLogsToTheTrashAndReportsThem) {
    XDGHomeFixture fixture;
    const fs::path installer = XDGHomeFixture::writeSized(fixture.downloads() / "tool_1.0_amd64.deb", 5000);
    const fs::path oldLog = XDGHomeFixture::writeSized(fixture.state() / "old.log", 3000);
    XDGHomeFixture::age(oldLog, hours(24 * 8));
    const fs::path newLog = XDGHomeFixture::writeSized(fixture.state() / "new.log", 2000);
    const fs::path photo = XDGHomeFixture::writeSized(fixture.downloads() / "photo.jpg", 100);

    const auto run = runTidewell({"safe-cleanup", "--yes", "--json"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const auto report = run.json()["report"];
    EXPECT_EQ(report["done"], nlohmann::json({"tool_1.0_amd64.deb", "old.log"}));
    EXPECT_EQ(report["failed"], nlohmann::json::array());
    EXPECT_EQ(report["summary"], "Moved 2 safe cleanup items to Trash.");
    EXPECT_EQ(report["status"], 0);
    EXPECT_GT(report["recoveredBytes"], 0);
    for (const fs::path& moved : {installer, oldLog}) {
        EXPECT_FALSE(fs::exists(moved)) << moved;
        const auto trashed = trashedCopyOf(moved);
        ASSERT_TRUE(trashed) << moved;
        EXPECT_EQ(fs::file_size(*trashed), moved == installer ? 5000u : 3000u);
    }
    for (const fs::path& kept : {newLog, photo}) EXPECT_TRUE(fs::exists(kept)) << kept;
    const std::vector<CleanupReport> history = ReportStore::load();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().appName, "Safe Cleanup");
    EXPECT_THAT(history.front().movedItems, ElementsAre("tool_1.0_amd64.deb", "old.log"));

    // Nothing is left to clean: nothing moves and the history stays as it was.
    const auto homeBefore = testing::treeSnapshot(fixture.home());
    const auto again = runTidewell({"safe-cleanup", "--yes", "--json"});
    EXPECT_EQ(again.status, 1) << again.err;
    EXPECT_EQ(again.json(),
              (nlohmann::json{{"report", nullptr}, {"errors", {"No safe cleanup items can be moved to Trash."}}}));
    const auto text = runTidewell({"safe-cleanup", "--yes"});
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_EQ(text.out, "No safe cleanup items can be moved to Trash.\n");
    EXPECT_EQ(testing::treeSnapshot(fixture.home()), homeBefore);
}

TEST(SafeCleanupCommandTest, YesMovesTheItemsOfTheMacOSLayoutToTheTrash) {
    testing::AppLayoutFixture layout;
    const fs::path installer = layout.home() / "Downloads/Setup.dmg";
    testing::writeFile(installer, std::string(9000, 'd'));
    const fs::path log = layout.home() / "Library/Logs/old.log";
    testing::writeFile(log, std::string(700, 'l'));
    fs::last_write_time(log, fs::file_time_type::clock::now() - std::chrono::days(10));

    const auto run = runTidewell({"safe-cleanup", "--yes"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Moved 2 safe cleanup items to Trash.");
    for (const fs::path& moved : {installer, log}) {
        EXPECT_FALSE(fs::exists(moved)) << moved;
        EXPECT_TRUE(trashedCopyOf(moved)) << moved;
    }
}

}  // namespace
}  // namespace tidewell
