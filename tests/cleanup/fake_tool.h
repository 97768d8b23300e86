#pragma once

#include <filesystem>
#include <string>

namespace tidewell::testing {

// An executable shell script at `path` whose body is `body`; every call first
// appends its arguments, one line per call, to `path` + ".calls".
std::filesystem::path makeFakeTool(const std::filesystem::path& path, const std::string& body);
// The recorded calls, empty when the tool never ran.
std::string fakeToolCalls(const std::filesystem::path& path);

}  // namespace tidewell::testing
