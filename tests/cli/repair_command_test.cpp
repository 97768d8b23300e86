#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>

#include "cli/tidewell_process.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/repair_finding.h"
#include "firstaid/repair_states.h"
#include "process/command_runner.h"
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

// A recording cut off before its movie box was written, rebuilt from a clip of the same camera.
TEST_F(RepairCommandTest, RebuildsACutOffRecordingFromAReferenceClip) {
    auto record = [&](const std::string& name, const std::string& seconds) {
        const fs::path file = folder / name;
        EXPECT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=25", "-f", "lavfi", "-i",
                                        "sine=sample_rate=48000", "-t", seconds, "-c:v", "libx264", "-preset",
                                        "veryfast", "-c:a", "aac", file.string()}));
        return file;
    };
    const fs::path intact = record("intact.mp4", "2");
    const fs::path reference = record("reference.mp4", "1");
    const std::string bytes = testing::readFile(intact);
    const fs::path broken = folder / "broken.mp4";
    testing::writeFile(broken, bytes.substr(0, bytes.find("moov") / 2));
    const fs::path outputs = folder / "outputs";
    fs::create_directories(outputs);

    const auto refused = runTidewell({"repair", "--output", outputs.string(), broken.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Choose a healthy clip from the same camera as a reference"), std::string::npos)
        << refused.err;

    const auto run = runTidewell(
        {"repair", "--json", "--reference", reference.string(), "--output", outputs.string(), broken.string()});
    EXPECT_EQ(run.status, 2) << run.err;
    const auto outcome = run.json()["outcomes"][0];
    EXPECT_TRUE(
        outcome["message"].get<std::string>().starts_with("Rebuilt the movie metadata from the reference clip: "))
        << outcome["message"];
    EXPECT_TRUE(fs::exists(outcome["outputURL"].get<std::string>()));
    EXPECT_EQ(testing::readFile(broken), bytes.substr(0, bytes.find("moov") / 2));
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
              "tidewell: missing --output\nUsage: tidewell repair [--report] [--json] [--reference CLIP] --output "
              "FOLDER FILE...\n");
}

const std::string linkOrEncryptionReason =
    "This archive contains symbolic links or encrypted entries, which Tidewell does not extract for safety.";

TEST_F(RepairCommandTest, ARefusalSaysWhyOnStandardErrorAndInTheJSONErrors) {
    const fs::path slip = testing::makeZip(folder / "slip.zip", {{"xx/evil.txt", "evil"}, {"fine.txt", "fine"}});
    testing::renameEntry(slip, "xx/evil.txt", "../evil.txt");
    const fs::path linked = testing::makeZip(folder / "linked.zip", {{"a.txt", "a"}});
    fs::create_symlink("a.txt", folder / "link");
    ASSERT_EQ(CommandRunner::run("/usr/bin/zip", {"-q", "-y", linked.string(), "link"}, folder.path()).status, 0);
    const fs::path secret = testing::makeZip(folder / "secret.zip", {{"a.txt", "a"}}, {"-P", "pw"});
    const fs::path out = folder / "out";
    fs::create_directory(out);
    const std::string refused = "no repaired copy can be made of this file: ";
    testing::expectRefusal("repair", out, slip,
                           refused + "Archive entry is unsafe and will not be extracted: ../evil.txt");
    testing::expectRefusal("repair", out, linked, refused + linkOrEncryptionReason);
    testing::expectRefusal("repair", out, secret, refused + linkOrEncryptionReason);
    EXPECT_TRUE(fs::is_empty(out));
}

// A limit on the size of any file this process and the programs it starts write, so that a
// regression that expands a ZIP bomb fails the test instead of filling the disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = std::min(bytes, previous_.rlim_max);
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &previous_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
};

TEST_F(RepairCommandTest, AZipBombBehindAppendedBytesIsRefusedWithoutBeingExpanded) {
    // 1.5 GB of zeros (a sparse file, so nothing is written) compress to about 1.5 MB.
    const fs::path zeros = folder / "zeros.bin";
    std::ofstream(zeros).close();
    fs::resize_file(zeros, 1'500'000'000);
    const fs::path bomb = folder / "bomb.zip";
    ASSERT_EQ(CommandRunner::run("/usr/bin/zip", {"-q", bomb.string(), "zeros.bin"}, folder.path()).status, 0);
    fs::remove(zeros);
    // Past the tail sample, so unzip -l cannot list it any more.
    testing::appendJunk(bomb, 2'500'000);
    const std::string before = testing::readFile(bomb);
    const fs::path out = folder / "out";
    fs::create_directory(out);
    testing::TemporaryFolder temporary;
    const testing::ScopedEnvironment temporaryDirectory("TMPDIR", temporary.path().string());
    const FileSizeLimit limit(64 << 20);
    const std::string ratio = "This archive exceeds the safe compression-ratio limit and may be a ZIP bomb.";

    const auto diagnosed = runTidewell({"diagnose", "--json", bomb.string()});
    ASSERT_EQ(diagnosed.status, 0) << diagnosed.err;
    const auto diagnostic = diagnosed.json()["diagnostics"][0];
    EXPECT_FALSE(diagnostic["canAttemptRepair"]);
    EXPECT_EQ(diagnostic["recommendedAction"], ratio);
    bool safetyFinding = false;
    for (const auto& finding : diagnostic["findings"]) {
        if (finding["title"] != "Archive safety") continue;
        safetyFinding = true;
        EXPECT_EQ(finding["level"], rawValue(RepairFindingLevel::failed));
        EXPECT_EQ(finding["detail"], ratio);
    }
    EXPECT_TRUE(safetyFinding);

    const auto repaired = runTidewell({"repair", "--output", out.string(), bomb.string()});
    EXPECT_EQ(repaired.status, 1);
    EXPECT_EQ(repaired.err,
              "tidewell: " + bomb.string() + ": no repaired copy can be made of this file: " + ratio + "\n");

    // Extraction first lets zip rebuild an index, which is refused for the same reason.
    const auto extracted = runTidewell({"extract", "--json", "--output", out.string(), bomb.string()});
    EXPECT_EQ(extracted.status, 1);
    EXPECT_EQ(extracted.json()["errors"][0]["message"], ratio);
    EXPECT_EQ(extracted.err.find("Extracting readable contents"), std::string::npos) << extracted.err;

    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_TRUE(fs::is_empty(temporary.path()));
    EXPECT_EQ(testing::readFile(bomb), before);
}

}  // namespace
}  // namespace tidewell
