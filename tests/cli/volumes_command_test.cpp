#include <gtest/gtest.h>

#include "cli/tidewell_process.h"
#include "recovery/readable/external_recovery_engine.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using testing::runTidewell;

TEST(VolumesCommand, DescribesAPickedFolder) {
    const testing::TemporaryFolder folder;
    const auto run = runTidewell({"volumes", "--path", folder.path().string(), "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto listed = run.json()["volumes"];
    ASSERT_EQ(listed.size(), 1u);
    const ExternalRecoveryVolume expected = ExternalRecoveryEngine::manuallySelectedVolume(folder.path());
    EXPECT_EQ(listed[0]["id"], expected.id);
    EXPECT_EQ(listed[0]["name"], expected.name);
    EXPECT_EQ(listed[0]["mountURL"], expected.mountURL.string());
    EXPECT_EQ(listed[0]["deviceIdentifier"],
              expected.deviceIdentifier ? nlohmann::json(*expected.deviceIdentifier) : nlohmann::json(nullptr));
    EXPECT_EQ(listed[0]["fileSystem"], expected.fileSystem);
    EXPECT_EQ(listed[0]["totalBytes"], expected.totalBytes);
    EXPECT_EQ(listed[0]["isRemovable"], expected.isRemovable);
    EXPECT_EQ(listed[0]["isReadOnly"], expected.isReadOnly);
    EXPECT_EQ(listed[0]["isManuallySelected"], true);

    const auto text = runTidewell({"volumes", "--path", folder.path().string()});
    EXPECT_TRUE(text.out.starts_with(expected.name + "  " + expected.mountURL.string() + "\n  " +
                                     expected.sourceDescription() + "  "))
        << text.out;
}

TEST(VolumesCommand, RefusesAFileAndListsMountedVolumes) {
    const testing::TemporaryFolder folder;
    testing::writeFile(folder / "file", "x");
    const auto refused = runTidewell({"volumes", "--path", (folder / "file").string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "tidewell: " + (folder / "file").string() + ": Choose a mounted folder or drive, not a file.\n");

    const auto mounted = runTidewell({"volumes", "--json"});
    ASSERT_EQ(mounted.status, 0) << mounted.err;
    EXPECT_TRUE(mounted.json()["volumes"].is_array());
}

}  // namespace
}  // namespace tidewell
