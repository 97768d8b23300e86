#include "firstaid/firstaid_fixtures.h"

#include <gtest/gtest.h>

#include "process/command_runner.h"

namespace tidewell::testing {

namespace {

std::string folderPath(const TemporaryFolder& folder) {
    return folder.path().string();
}

}  // namespace

ShippedTools::ShippedTools(std::initializer_list<std::string> tools)
    : resourceDirectory_("TIDEWELL_RESOURCE_DIR", folderPath(folder_)) {
    std::filesystem::create_directories(folder_ / "Tools");
    for (const auto& tool : tools) std::filesystem::create_symlink("/usr/bin/" + tool, folder_ / "Tools" / tool);
}

std::filesystem::path makeZip(const std::filesystem::path& archive,
                              const std::vector<std::pair<std::string, std::string>>& files,
                              const std::vector<std::string>& zipOptions) {
    const auto staging = archive.parent_path() / (archive.filename().string() + ".staging");
    std::filesystem::create_directories(staging);
    std::vector<std::string> names;
    for (const auto& [name, contents] : files) {
        writeFile(staging / name, contents);
        names.push_back(name);
    }
    std::vector<std::string> arguments{"-q", "-X"};
    arguments.insert(arguments.end(), zipOptions.begin(), zipOptions.end());
    arguments.push_back(archive.string());
    arguments.insert(arguments.end(), names.begin(), names.end());
    const auto output = CommandRunner::run("/usr/bin/zip", arguments, staging);
    EXPECT_EQ(output.status, 0) << output.combined();
    std::filesystem::remove_all(staging);
    return archive;
}

bool runFFmpeg(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"-hide_banner", "-loglevel", "error", "-y"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const auto output = CommandRunner::run("/usr/bin/ffmpeg", all);
    EXPECT_EQ(output.status, 0) << output.combined();
    return output.status == 0;
}

std::filesystem::path makeVideo(const std::filesystem::path& output, const std::vector<std::string>& extraOptions,
                                double seconds) {
    const std::string duration = std::to_string(seconds);
    std::vector<std::string> arguments{
        "-f",       "lavfi", "-i",   "testsrc=duration=" + duration + ":size=64x64:rate=10",
        "-f",       "lavfi", "-i",   "sine=duration=" + duration,
        "-c:v",     "mpeg4", "-c:a", "aac",
        "-shortest"};
    arguments.insert(arguments.end(), extraOptions.begin(), extraOptions.end());
    arguments.push_back(output.string());
    runFFmpeg(arguments);
    return output;
}

void truncateCopy(const std::filesystem::path& source, const std::filesystem::path& destination, std::size_t count) {
    writeFile(destination, readFile(source).substr(0, count));
}

}  // namespace tidewell::testing
