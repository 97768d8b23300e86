#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tidewell::testing {

// Every path below root with its size (folders as -1), to show nothing moved.
std::vector<std::pair<std::string, std::int64_t>> treeSnapshot(const std::filesystem::path& root);

}  // namespace tidewell::testing
