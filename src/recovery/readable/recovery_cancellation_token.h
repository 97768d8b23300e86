#pragma once

#include "util/cancellation_flag.h"

namespace tidewell {

// Cancellation of one recovery scan or export (readable and deleted files).
class RecoveryCancellationToken : public CancellationFlag {};

}  // namespace tidewell
