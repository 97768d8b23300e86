#pragma once

#include "platform/helper_protocol_channel.h"
#include "raw_device_access.h"

namespace tidewell::helper {

// Sends the range as the bulk of a TWHelperRawReadResult reply. The bytes go
// from the device to the socket through a pipe (page references, no copy in
// this process), or by pread and send where the device cannot be spliced.
// False when the reply could not be completed; the connection must then close,
// so the application sees a broken frame, never a short one.
bool streamRawRange(int connection, const std::string& operation, const RawDeviceRange& range,
                    platform::HelperDeadline deadline);

}  // namespace tidewell::helper
