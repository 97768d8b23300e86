#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "firstaid/tool_runs.h"
#include "process/command_runner.h"

namespace tidewell::bench {

// The path of a tool the repair engine uses; throws when it is missing.
inline std::string repairTool(const char* name) {
    const auto path = FileFirstAidEngine::toolPath(name);
    if (!path) throw std::runtime_error(std::string("the tool ") + name + " is missing");
    return *path;
}

// data.zip in `folder`: 400 half-compressible files of 64 KiB in 20 folders
// (about 25 MiB), zipped by the system zip.
inline std::filesystem::path makeSampleArchive(const std::filesystem::path& folder) {
    constexpr int files = 400;
    constexpr std::size_t fileBytes = 64 * 1024;
    const auto tree = folder / "tree";
    std::mt19937 random(7);
    for (int index = 0; index < files; ++index) {
        const auto file = tree / ("d" + std::to_string(index % 20)) / ("f" + std::to_string(index) + ".bin");
        std::filesystem::create_directories(file.parent_path());
        std::string bytes(fileBytes, 'a');
        for (std::size_t at = 0; at < bytes.size(); at += 2) bytes[at] = static_cast<char>(random());
        std::ofstream(file, std::ios::binary) << bytes;
    }
    const auto archive = folder / "data.zip";
    if (CommandRunner::run(repairTool("zip"), {"-q", "-r", archive.string(), "."}, tree).status != 0)
        throw std::runtime_error("zip failed");
    std::filesystem::remove_all(tree);
    return archive;
}

}  // namespace tidewell::bench
