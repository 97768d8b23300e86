#pragma once

#include "platform/helper_protocol_channel.h"
#include "raw_device_access.h"

namespace tidewell::helper {

// Answers one decoded request on the connection with the operation's result
// object or an error reply. Requests that do not decode as their operation's
// class are refused without touching any device. False when the connection
// must close.
bool answerHelperRequest(int connection, const platform::HelperArchive& request, const RawDeviceSettings& settings,
                         platform::HelperDeadline deadline);

}  // namespace tidewell::helper
