#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tidewell {

// One export of every ready repair job into one folder, advanced job by job.
struct RepairBatch {
    std::filesystem::path folder;
    std::vector<std::string> jobIDs;  // the jobs ready when the batch started, in queue order
    std::size_t next = 0;
    std::size_t exported = 0;
    std::vector<std::string> failedNames;
    bool cancelled = false;

    // "Exported 2 repaired copies to /out." and its variants for failures and cancellation.
    std::string message() const;
    // Where a job's progress starts: its share of the batch, at least 0.04.
    static double startProgress(std::size_t position, std::size_t count);
};

}  // namespace tidewell
