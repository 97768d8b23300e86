#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "util/progress.h"

// What the recovery commands share: progress lines and finding the folder an export made.
namespace tidewell::cli {

// Prints "tidewell: SOURCE: 42% Checked 3 directories" on standard error.
ProgressCallback recoveryProgressPrinter(const std::string& source);

// The entries of `folder` before an export, to find the one folder it adds.
class NewFolderWatch {
public:
    explicit NewFolderWatch(const std::filesystem::path& folder);
    // The folder that appeared since construction; none when there is none.
    std::optional<std::filesystem::path> added() const;

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> before_;
};

// The status of a finished export: 0 every selected file written, 2 some, 1 none.
int exportStatus(std::size_t written, std::size_t selected);

}  // namespace tidewell::cli
