#include <gtest/gtest.h>

#include "cli/tidewell_process.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/repair_states.h"
#include "support/pdf_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::runTidewell;

class ExtractCommandTest : public ::testing::Test {
protected:
    ExtractCommandTest() {
        const fs::path intact =
            testing::makeZip(folder / "intact.zip", {{"a.txt", std::string(3000, 'a')}, {"docs/b.txt", "bee"}});
        const std::string bytes = testing::readFile(intact);
        testing::truncateCopy(intact, source, bytes.find("PK\x01\x02"));
        fs::create_directory(output);
    }

    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
    fs::path source = folder / "cut.zip";
    fs::path output = folder / "out";
};

TEST_F(ExtractCommandTest, WritesTheReadableFilesIntoANewFolder) {
    const std::string before = testing::readFile(source);
    const auto run = runTidewell({"extract", source.string(), "--output", output.string(), "--json"});
    // A folder of readable contents stands in only partly for the original.
    ASSERT_EQ(run.status, 0) << run.err;
    const auto outcome = run.json()["outcomes"][0];
    const fs::path written = outcome["outputURL"].get<std::string>();
    EXPECT_EQ(written, output / "cut-recovered-contents");
    EXPECT_EQ(outcome["state"], rawValue(RepairOutcomeState::partial));
    EXPECT_EQ(outcome["exportKind"], "extractedContents");
    EXPECT_EQ(outcome["message"], "Extracted 2 readable files into a separate folder.");
    EXPECT_EQ(testing::readFile(written / "docs/b.txt"), "bee");
    EXPECT_EQ(testing::readFile(written / "a.txt"), std::string(3000, 'a'));
    EXPECT_EQ(testing::readFile(source), before);
    EXPECT_NE(run.err.find("tidewell: " + source.string() + ": "), std::string::npos);

    const auto again = runTidewell({"extract", source.string(), "--output", output.string(), "--report"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("\n  Output: " + (output / "cut-recovered-contents (2)").string() + "\n"),
              std::string::npos);
    EXPECT_NE(again.out.find(testing::readFile(output / "cut-recovered-contents (2)" / "Tidewell-Recovery-Report.txt")),
              std::string::npos);
}

TEST_F(ExtractCommandTest, NeedsOneFileAndAnOutputFolder) {
    const std::string usage = "Usage: tidewell extract [--report] [--json] --output FOLDER FILE\n";
    auto run = runTidewell({"extract", source.string()});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err, "tidewell: missing --output\n" + usage);
    run = runTidewell({"extract", "--output", output.string()});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err, "tidewell: give exactly one file\n" + usage);
    run = runTidewell({"extract", source.string(), "--output", (folder / "missing").string()});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err, "tidewell: --output " + (folder / "missing").string() + " is not a folder\n" + usage);
    EXPECT_TRUE(fs::is_empty(output));
}

TEST_F(ExtractCommandTest, ARefusalSaysWhyOnStandardErrorAndInTheJSONErrors) {
    const fs::path pdf = folder / "paper.pdf";
    testing::writeTextPDF(pdf, {"first page"});
    const fs::path fake = folder / "fake.zip";
    testing::appendJunk(fake, 5'000);
    testing::expectRefusal("extract", output, pdf,
                           "no contents can be extracted from this file: Readable-content extraction is currently "
                           "available for ZIP, APK, and Office packages.");
    testing::expectRefusal("extract", output, fake,
                           "no contents can be extracted from this file: Tidewell could not find enough ZIP structure "
                           "to safely look for readable contents.");

    // An archive with a way out of the folder gets as far as the export, which names the entry.
    const fs::path slip = testing::makeZip(folder / "slip.zip", {{"xx/evil.txt", "evil"}, {"fine.txt", "fine"}});
    testing::renameEntry(slip, "xx/evil.txt", "../evil.txt");
    const auto run = runTidewell({"extract", "--output", output.string(), slip.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.ends_with("tidewell: " + slip.string() +
                                  ": Archive entry is unsafe and will not be extracted: ../evil.txt\n"))
        << run.err;
    EXPECT_TRUE(fs::is_empty(output));
    EXPECT_FALSE(fs::exists(folder / "evil.txt"));
}

}  // namespace
}  // namespace tidewell
