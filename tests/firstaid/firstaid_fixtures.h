#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "firstaid/repair_states.h"
#include "support/temporary_folder.h"

namespace tidewell::testing {

// A resource folder whose "Tools/" links the named system tools, made the
// application's resource folder while the object lives.
class ShippedTools {
public:
    explicit ShippedTools(std::initializer_list<std::string> tools = {"qpdf", "ffmpeg", "ffprobe"});

private:
    TemporaryFolder folder_;
    ScopedEnvironment resourceDirectory_;
};

// Writes the files (relative path, contents) into a staging folder and zips
// them with the given extra zip options into archive. Returns archive.
std::filesystem::path makeZip(const std::filesystem::path& archive,
                              const std::vector<std::pair<std::string, std::string>>& files,
                              const std::vector<std::string>& zipOptions = {});

// Renames an entry in place (every occurrence: local header and central directory), for names
// zip itself refuses to store such as "../evil.txt". Both names have the same length.
void renameEntry(const std::filesystem::path& archive, const std::string& from, const std::string& to);

// Appends `count` bytes of a fixed pseudo-random sequence that holds no ZIP signature, as when
// an archive was glued to other data.
void appendJunk(const std::filesystem::path& file, std::size_t count);

// Runs ffmpeg (quiet, overwriting) with these arguments; true on success.
bool runFFmpeg(const std::vector<std::string>& arguments);

// A one-second 64x64 test video with a sine track.
std::filesystem::path makeVideo(const std::filesystem::path& output, const std::vector<std::string>& extraOptions = {},
                                double seconds = 1);

// Copies the first count bytes of source to destination.
void truncateCopy(const std::filesystem::path& source, const std::filesystem::path& destination, std::size_t count);

// An export test run with a private temporary folder, so that a work folder
// (named with the given prefix) left behind by any outcome shows up.
class PrivateTemporaryFolderTest : public ::testing::Test {
protected:
    explicit PrivateTemporaryFolderTest(std::string workFolderPrefix)
        : workFolderPrefix_(std::move(workFolderPrefix)) {}

    void SetUp() override { std::filesystem::create_directories(outputs); }
    void TearDown() override {
        for (const auto& entry : std::filesystem::directory_iterator(temporary.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with(workFolderPrefix_)) << entry.path();
    }

    TemporaryFolder folder;
    TemporaryFolder temporary;
    ScopedEnvironment temporaryDirectory{"TMPDIR", temporary.path().string()};
    ShippedTools tools;
    std::filesystem::path outputs = folder / "outputs";
    std::vector<std::tuple<RepairProgressStage, double, std::string>> reports;

private:
    std::string workFolderPrefix_;
};

}  // namespace tidewell::testing
