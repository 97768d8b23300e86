#include <gtest/gtest.h>

#include "cli/tidewell_process.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "support/pdf_fixture.h"
#include "util/byte_size_text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::runTidewell;

// One intact and one cut-short file of each kind the command is used on most.
std::vector<fs::path> makeSamples(const testing::TemporaryFolder& folder) {
    const fs::path zip = testing::makeZip(folder / "notes.zip", {{"a.txt", std::string(4000, 'a')}, {"b.txt", "b"}});
    const fs::path pdf = folder / "paper.pdf";
    testing::writeTextPDF(pdf, {"first page", "second page"});
    const fs::path video = testing::makeVideo(folder / "clip.mp4");
    const fs::path jpeg = folder / "frame.jpg";
    EXPECT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc=size=48x32", "-frames:v", "1", jpeg.string()}));
    std::vector<fs::path> samples;
    for (const fs::path& intact : {zip, pdf, video, jpeg}) {
        const fs::path cut = folder / ("cut-" + intact.filename().string());
        testing::truncateCopy(intact, cut, fs::file_size(intact) / 2);
        samples.insert(samples.end(), {intact, cut});
    }
    return samples;
}

std::vector<std::string> pathStrings(const std::vector<fs::path>& paths) {
    std::vector<std::string> strings;
    for (const fs::path& path : paths) strings.push_back(path.string());
    return strings;
}

class DiagnoseCommandTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
    std::vector<fs::path> samples = makeSamples(folder);
};

TEST_F(DiagnoseCommandTest, JSONCarriesWhatTheEngineFinds) {
    std::vector<std::string> arguments{"diagnose", "--json"};
    for (const std::string& path : pathStrings(samples)) arguments.push_back(path);
    const auto run = runTidewell(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto document = run.json();
    ASSERT_EQ(document["diagnostics"].size(), samples.size());
    EXPECT_TRUE(document["errors"].empty());
    for (std::size_t index = 0; index < samples.size(); ++index) {
        const auto expected = FileFirstAidEngine::diagnose(samples[index]);
        const auto& actual = document["diagnostics"][index];
        SCOPED_TRACE(samples[index].string());
        EXPECT_EQ(actual["sourceURL"], samples[index].string());
        EXPECT_EQ(actual["kind"], rawValue(expected.kind));
        EXPECT_EQ(actual["sizeBytes"], expected.sizeBytes);
        EXPECT_EQ(actual["canAttemptRepair"], expected.canAttemptRepair);
        EXPECT_EQ(actual["canExtractReadableContent"], expected.canExtractReadableContent);
        EXPECT_EQ(actual["recommendedAction"], expected.recommendedAction);
        EXPECT_EQ(actual["toolNotes"], expected.toolNotes);
        ASSERT_EQ(actual["previewItems"].size(), expected.previewItems.size());
        for (std::size_t item = 0; item < expected.previewItems.size(); ++item) {
            EXPECT_EQ(actual["previewItems"][item],
                      nlohmann::json({{"title", expected.previewItems[item].title},
                                      {"detail", expected.previewItems[item].detail},
                                      {"symbol", expected.previewItems[item].systemImage}}));
        }
        ASSERT_EQ(actual["findings"].size(), expected.findings.size());
        for (std::size_t finding = 0; finding < expected.findings.size(); ++finding) {
            EXPECT_EQ(actual["findings"][finding]["level"], rawValue(expected.findings[finding].level));
            EXPECT_EQ(actual["findings"][finding]["title"], expected.findings[finding].title);
            EXPECT_EQ(actual["findings"][finding]["detail"], expected.findings[finding].detail);
        }
    }
    // Every kind has tiles: the archive's name its entries, the video's its atoms.
    EXPECT_EQ(document["diagnostics"][0]["previewItems"][2]["detail"], "a.txt");
    EXPECT_EQ(document["diagnostics"][4]["previewItems"][0]["title"], "Top-level atoms");
    // The cut JPEG can no longer be exported, the intact one can.
    EXPECT_TRUE(document["diagnostics"][6]["canAttemptRepair"]);
    EXPECT_FALSE(document["diagnostics"][7]["canAttemptRepair"]);
}

TEST_F(DiagnoseCommandTest, PrintsOneBlockPerFile) {
    const auto run = runTidewell({"diagnose", samples[2].string(), samples[3].string()});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const fs::path& sample : {samples[2], samples[3]}) {
        const auto diagnostic = FileFirstAidEngine::diagnose(sample);
        EXPECT_NE(run.out.find(sample.string() + "\n  Kind: " + label(diagnostic.kind) +
                               "\n  Size: " + tidewellString(diagnostic.sizeBytes) + "\n"),
                  std::string::npos);
        for (const RepairFinding& finding : diagnostic.findings) {
            EXPECT_NE(run.out.find("  [" + label(finding.level) + "] " + finding.title + ": " + finding.detail + "\n"),
                      std::string::npos);
        }
        std::string tail = "  Recommended: " + diagnostic.recommendedAction + "\n  Preview:\n";
        for (const RepairPreviewItem& item : diagnostic.previewItems)
            tail += "    " + item.title + ": " + item.detail + "\n";
        for (const std::string& note : diagnostic.toolNotes) tail += "  Tool: " + note + "\n";
        EXPECT_NE(run.out.find(tail), std::string::npos) << run.out;
    }
    EXPECT_EQ(run.err, "");
}

TEST_F(DiagnoseCommandTest, AFileThatCannotBeDiagnosedFailsTheRun) {
    const fs::path empty = folder / "empty.pdf";
    testing::writeFile(empty, "");
    std::string message;
    try {
        FileFirstAidEngine::diagnose(empty);
    } catch (const std::exception& error) {
        message = error.what();
    }
    ASSERT_FALSE(message.empty());
    const auto run = runTidewell({"diagnose", samples[0].string(), empty.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tidewell: " + empty.string() + ": " + message + "\n");
    EXPECT_NE(run.out.find(samples[0].string() + "\n"), std::string::npos);

    const auto usage = runTidewell({"diagnose", "--json"});
    EXPECT_EQ(usage.status, 64);
    EXPECT_EQ(usage.err, "tidewell: no file given\nUsage: tidewell diagnose [--json] FILE...\n");
}

}  // namespace
}  // namespace tidewell
