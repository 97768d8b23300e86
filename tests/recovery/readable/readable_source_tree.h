#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "recovery/readable/external_recovery_engine.h"

namespace tidewell::testing {

// A manually selected source over a folder, built without the disk tools.
ExternalRecoveryVolume folderSource(const std::filesystem::path& root, const std::string& name = "CARD");

// Every entry below a folder (links not followed) with its type, size, content
// digest and modification time: equal before and after proves nothing was written.
std::string treeFingerprint(const std::filesystem::path& root);

// Writes a file and sets its modification time.
void writeDatedFile(const std::filesystem::path& path, const std::string& bytes,
                    std::chrono::system_clock::time_point modified);

// Collects the progress reports of a run.
struct ProgressLog {
    std::vector<std::pair<double, std::string>> reports;
    ProgressCallback callback() {
        return [this](double fraction, const std::string& line) { reports.emplace_back(fraction, line); };
    }
};

}  // namespace tidewell::testing
