#include <gtest/gtest.h>
#include <sys/stat.h>

#include "process/command_runner.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using CommandRunner::firstExecutable;

class ToolLocationTest : public ::testing::Test {
protected:
    std::string installTool(const std::string& name, bool executable = true) {
        auto path = resources_ / "Tools" / name;
        testing::writeFile(path, "#!/bin/sh\n");
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path.string();
    }

    testing::TemporaryFolder resources_;
    testing::ScopedEnvironment resourceDir_{"TIDEWELL_RESOURCE_DIR", resources_.path().string()};
};

TEST_F(ToolLocationTest, ShippedToolsComeOnlyFromTheResourceFolder) {
    EXPECT_EQ(firstExecutable("ffmpeg"), std::nullopt);  // whatever /usr/bin holds
    EXPECT_EQ(firstExecutable("qpdf"), std::nullopt);

    installTool("ffmpeg", false);
    std::filesystem::create_directories(resources_ / "Tools" / "qpdf");
    EXPECT_EQ(firstExecutable("ffmpeg"), std::nullopt);
    EXPECT_EQ(firstExecutable("qpdf"), std::nullopt);

    auto macosCopy = installTool("ffmpeg-macos");
    EXPECT_EQ(firstExecutable("ffmpeg"), macosCopy);
    auto plainCopy = installTool("ffmpeg");
    EXPECT_EQ(firstExecutable("ffmpeg"), plainCopy);
}

TEST_F(ToolLocationTest, ExtraCandidatesComeAfterTheShippedCopies) {
    testing::TemporaryFolder elsewhere;
    auto extra = (elsewhere / "ffprobe").string();
    testing::writeFile(extra, "#!/bin/sh\n");
    ::chmod(extra.c_str(), 0755);
    EXPECT_EQ(firstExecutable("ffprobe", {"/nonexistent/ffprobe", extra}), extra);
    EXPECT_EQ(firstExecutable("ffprobe", {extra}), extra);
    auto shipped = installTool("ffprobe");
    EXPECT_EQ(firstExecutable("ffprobe", {extra}), shipped);
}

TEST_F(ToolLocationTest, ArchiveToolsFallBackToTheSystem) {
    EXPECT_EQ(firstExecutable("zip"), "/usr/bin/zip");
    EXPECT_EQ(firstExecutable("unzip"), "/usr/bin/unzip");
    auto shipped = installTool("zip");
    EXPECT_EQ(firstExecutable("zip"), shipped);
}

}  // namespace
}  // namespace tidewell
