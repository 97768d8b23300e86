#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::TidewellApp {

using AcceptanceRun = std::optional<std::int32_t> (*)(const std::vector<std::string>&);

// The acceptance runs in dispatch order.
const std::vector<AcceptanceRun>& acceptanceRuns();

// The first run in `runs` that returns a status ends the search.
std::optional<std::int32_t> runFirstRequested(const std::vector<std::string>& arguments,
                                              const std::vector<AcceptanceRun>& runs);

// Offers the arguments to the four acceptance runs in their fixed order
// (exFAT image, live FAT32, FAT32 image, folder); the first whose option is
// present is the only one performed and its status is returned.
std::optional<std::int32_t> runAcceptanceIfRequested(const std::vector<std::string>& arguments);

// --help and --version, recognised only when no acceptance option is present.
std::optional<std::int32_t> runInformationIfRequested(const std::vector<std::string>& arguments);

// The process entry: an acceptance run, a headless command, the information
// options, or the desktop application.
int main(int argc, char** argv);

}  // namespace tidewell::TidewellApp
