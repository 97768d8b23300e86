#pragma once

#include <algorithm>
#include <chrono>
#include <functional>

namespace tidewell::bench {

// The shortest of `rounds` timed runs of `work`, in seconds: the run least
// disturbed by the rest of the machine.
inline double bestSeconds(const std::function<void()>& work, int rounds) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace tidewell::bench
