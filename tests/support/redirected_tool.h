#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tidewell::testing {

// Runs a program (no shell) with standard input read from `input` and standard
// output and error written to `output`, waiting only for the program itself: a
// FUSE driver leaves a daemon behind that would hold a pipe open. Returns the
// exit status, 127 when it could not start.
int runToolRedirected(const std::string& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& input, const std::filesystem::path& output);

}  // namespace tidewell::testing
