#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>

namespace tidewell::bench {

// The shortest of `rounds` timed runs of `work`, in seconds: the run least
// disturbed by the rest of the machine.
// `prepare` runs untimed before each round (clearing a previous round's output).
inline double bestSeconds(const std::function<void()>& work, int rounds, const std::function<void()>& prepare = {}) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        if (prepare) prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// The shortest runs of `first` and of `second`, timed in alternation so that
// both meet the same state of the machine (write-back, cache pressure).
inline std::pair<double, double> bestSecondsAlternating(const std::function<void()>& first,
                                                        const std::function<void()>& second, int rounds,
                                                        const std::function<void()>& prepare = {}) {
    double bestFirst = 1e9;
    double bestSecond = 1e9;
    for (int round = 0; round < rounds; ++round) {
        bestFirst = std::min(bestFirst, bestSeconds(first, 1, prepare));
        bestSecond = std::min(bestSecond, bestSeconds(second, 1, prepare));
    }
    return {bestFirst, bestSecond};
}

}  // namespace tidewell::bench
