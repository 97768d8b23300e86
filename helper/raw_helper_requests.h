#pragma once

#include "platform/helper_protocol_archive.h"
#include "raw_device_access.h"

namespace tidewell::helper {

// The reply to one decoded request: the operation's result object or an error
// reply. Requests that do not decode as their operation's class are refused
// without touching any device.
platform::HelperArchive answerHelperRequest(const platform::HelperArchive& request, const RawDeviceSettings& settings);

}  // namespace tidewell::helper
