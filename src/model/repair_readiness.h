#pragma once

#include "firstaid/file_repair_job.h"

namespace tidewell {

// A job diagnosed as ready whose diagnostic allows a repair attempt.
inline bool isReadyForRepair(const FileRepairJob& job) {
    return job.phase == RepairTaskPhase::ready && job.diagnostic && job.diagnostic->canAttemptRepair;
}

}  // namespace tidewell
