#pragma once

#include <set>
#include <string>

#include "peer_credentials.h"
#include "platform/helper_protocol_channel.h"
#include "raw_device_access.h"

namespace tidewell::helper {

// One client connection: who is on the other end, and which devices it has
// opened so far (each is recorded once per connection).
struct HelperConnection {
    int descriptor = -1;
    PeerCredentials peer;
    std::set<std::string> recordedDevices;
};

// Answers one decoded request on the connection with the operation's result
// object or an error reply. Requests that do not decode as their operation's
// class are refused without touching any device. False when the connection
// must close.
bool answerHelperRequest(HelperConnection& connection, const platform::HelperArchive& request,
                         const RawDeviceSettings& settings, platform::HelperDeadline deadline);

}  // namespace tidewell::helper
