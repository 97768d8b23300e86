#include "firstaid/firstaid_fixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

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

void renameEntry(const std::filesystem::path& archive, const std::string& from, const std::string& to) {
    ASSERT_EQ(from.size(), to.size());
    std::string bytes = readFile(archive);
    const auto first = bytes.find(from);
    ASSERT_NE(first, std::string::npos) << from;
    for (auto at = first; at != std::string::npos; at = bytes.find(from, at + 1)) bytes.replace(at, to.size(), to);
    writeFile(archive, bytes);
}

void appendJunk(const std::filesystem::path& file, std::size_t count) {
    std::minstd_rand generator(20'240'601);
    std::string junk(count, '\0');
    // No "P" at all, so no ZIP signature can appear by chance.
    for (char& byte : junk) {
        do byte = static_cast<char>(generator());
        while (byte == 'P');
    }
    std::ofstream(file, std::ios::binary | std::ios::app) << junk;
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
