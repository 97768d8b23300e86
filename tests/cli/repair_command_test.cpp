#include <gtest/gtest.h>

#include "cli/tidewell_process.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/repair_states.h"
#include "support/pdf_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::runTidewell;

// Overwrites the first occurrence of `from` in the file with `to` (same length).
void damage(const fs::path& file, const std::string& from, const std::string& to) {
    std::string bytes = testing::readFile(file);
    const auto at = bytes.find(from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, to.size(), to);
    testing::writeFile(file, bytes);
}

int statusFor(const std::string& state) {
    if (state == rawValue(RepairOutcomeState::repaired)) return 0;
    return state == rawValue(RepairOutcomeState::partial) ? 2 : 1;
}

class RepairCommandTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
};

TEST_F(RepairCommandTest, WritesValidatedCopiesBesideTheSourcesAndLeavesThemAlone) {
    const fs::path pdf = folder / "paper.pdf";
    testing::writeTextPDF(pdf, {"first page"});
    damage(pdf, "xref", "xxxx");
    const fs::path video = testing::makeVideo(folder / "clip.mp4");
    for (const fs::path& source : {pdf, video}) {
        SCOPED_TRACE(source.string());
        const std::string before = testing::readFile(source);
        const auto run = runTidewell({"repair", "--json", "--output", folder.path().string(), source.string()});
        const auto outcome = run.json()["outcomes"][0];
        EXPECT_EQ(run.status, statusFor(outcome["state"])) << run.err;
        EXPECT_NE(run.status, 1) << run.err;
        const fs::path output = outcome["outputURL"].get<std::string>();
        EXPECT_EQ(output.parent_path(), folder.path());
        EXPECT_TRUE(fs::exists(output));
        EXPECT_EQ(testing::readFile(source), before);
    }
}

TEST_F(RepairCommandTest, FailuresAndUsageErrors) {
    const fs::path jpeg = folder / "frame.jpg";
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc=size=48x32", "-frames:v", "1", jpeg.string()}));
    testing::truncateCopy(jpeg, folder / "cut.jpg", fs::file_size(jpeg) / 2);
    const fs::path out = folder / "out";
    fs::create_directory(out);
    const auto failed = runTidewell({"repair", "--output", out.string(), (folder / "cut.jpg").string()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.err.starts_with("tidewell: " + (folder / "cut.jpg").string() + ": ")) << failed.err;
    EXPECT_TRUE(fs::is_empty(out));
    // A ZIP cut before its central directory cannot be rebuilt safely: refused, nothing written.
    const fs::path zip = testing::makeZip(folder / "whole.zip", {{"a.txt", std::string(4000, 'a')}});
    testing::truncateCopy(zip, folder / "cut.zip", fs::file_size(zip) - 30);
    const std::string zipBefore = testing::readFile(folder / "cut.zip");
    const auto refused = runTidewell({"repair", "--output", out.string(), (folder / "cut.zip").string()});
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_EQ(testing::readFile(folder / "cut.zip"), zipBefore);
    const auto usage = runTidewell({"repair", jpeg.string()});
    EXPECT_EQ(usage.status, 64);
    EXPECT_EQ(usage.err,
              "tidewell: missing --output\nUsage: tidewell repair [--report] [--json] --output FOLDER FILE...\n");
}

}  // namespace
}  // namespace tidewell
