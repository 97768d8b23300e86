#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/helper_protocol_channel.h"

namespace tidewell::testing {

// A stand-in helper on a temporary socket for replies the real one never
// gives (short data, no answer). It answers the reachability check itself and
// hands every raw read to the given behaviour. Counts connections.
class FakeRawHelper {
public:
    using RawReadBehaviour = std::function<void(int descriptor, const platform::HelperArchive& request)>;

    FakeRawHelper(std::filesystem::path socketPath, RawReadBehaviour behaviour);
    ~FakeRawHelper();

    int connections() const { return connections_.load(); }

private:
    void serve(int listener);
    void answer(platform::HelperSocket connection);

    RawReadBehaviour behaviour_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

}  // namespace tidewell::testing
