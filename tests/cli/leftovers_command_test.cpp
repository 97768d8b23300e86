#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleanup/report_store.h"
#include "cleanup/xdg_home_fixture.h"
#include "cli/tidewell_process.h"
#include "cli/trash_contents.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::runTidewell;
using testing::trashedCopyOf;
using testing::XDGHomeFixture;

// What two removed apps left: a Flatpak's sandbox folder with its settings beside it, and
// an old tool's cache, state and settings.
class LeftoversCommandTest : public ::testing::Test {
protected:
    LeftoversCommandTest() {
        XDGHomeFixture::writeSized(sandbox / "data/d", 90000);
        XDGHomeFixture::writeSized(goneSettings / "settings", 500);
        XDGHomeFixture::writeSized(toolCache / "blob", 20000);
        XDGHomeFixture::writeSized(toolState / "history", 9000);
        XDGHomeFixture::writeSized(fixture.config() / "oldtoolrc", 200);
    }

    XDGHomeFixture fixture;
    const fs::path sandbox = fixture.home() / ".var/app/org.example.Gone";
    const fs::path goneSettings = fixture.config() / "org.example.Gone";
    const fs::path toolCache = fixture.cache() / "oldtool";
    const fs::path toolState = fixture.state() / "OldTool";
};

TEST_F(LeftoversCommandTest, YesWithAGroupMovesWhatThatGroupChecksByDefault) {
    const auto listing = runTidewell({"leftovers", "--json"});
    ASSERT_EQ(listing.status, 0) << listing.err;
    const auto groups = listing.json()["leftovers"];
    std::vector<std::string> names;
    for (const auto& group : groups) names.push_back(group["name"]);
    EXPECT_THAT(names, ElementsAre("Gone", "oldtool"));

    const auto run = runTidewell({"leftovers", "--yes", "--group", "Gone", "--json"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(run.json()["report"]["done"], nlohmann::json({"org.example.Gone"}));
    EXPECT_EQ(run.json()["report"]["summary"], "Moved leftovers to Trash: org.example.Gone.");
    EXPECT_FALSE(fs::exists(sandbox));
    const auto trashed = trashedCopyOf(sandbox);
    ASSERT_TRUE(trashed);
    EXPECT_EQ(fs::file_size(*trashed / "data/d"), 90000u);
    // Checked only after a review, and another group: both stay.
    for (const fs::path& kept : {goneSettings, toolCache, toolState, fixture.config() / "oldtoolrc"})
        EXPECT_TRUE(fs::exists(kept)) << kept;
    const std::vector<CleanupReport> history = ReportStore::load();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().appName, "Leftovers: Gone");
}

TEST_F(LeftoversCommandTest, UnknownGroupOrGroupWithoutYesIsAUsageErrorAndChangesNothing) {
    const auto homeBefore = testing::treeSnapshot(fixture.home());
    const std::string usage = "Usage: tidewell leftovers [--yes [--group NAME]...] [--json]\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"leftovers", "--yes", "--group", "Gone", "--group", "Gon"}, "no leftover group is named Gon"},
        {{"leftovers", "--group", "Gone"}, "--group needs --yes"},
    };
    for (const auto& [arguments, message] : cases) {
        const auto run = runTidewell(arguments);
        EXPECT_EQ(run.status, 64) << message;
        EXPECT_EQ(run.err, "tidewell: " + message + "\n" + usage);
    }
    EXPECT_EQ(testing::treeSnapshot(fixture.home()), homeBefore);
}

}  // namespace
}  // namespace tidewell
