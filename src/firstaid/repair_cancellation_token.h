#pragma once

#include "util/cancellation_flag.h"

namespace tidewell {

// Cancellation of one File First Aid export or tool run.
class RepairCancellationToken : public CancellationFlag {};

}  // namespace tidewell
