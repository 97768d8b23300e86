// Overhead of CommandRunner::run against a bare posix_spawn + waitpid, both running
// /bin/true. Prints both medians and their ratio (target: at most 1.5).
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/folders.h"
#include "process/command_runner.h"

extern char** environ;

namespace {

constexpr const char* kProgram = "/bin/true";

void runPlain() {
    char* argv[] = {const_cast<char*>(kProgram), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, kProgram, nullptr, nullptr, argv, environ) != 0) throw std::runtime_error("spawn failed");
    int status;
    while (waitpid(pid, &status, 0) < 0) {
    }
}

void runThroughRunner() {
    if (tidewell::CommandRunner::run(kProgram, {}).status != 0) throw std::runtime_error("runner failed");
}

template <typename Run>
double microseconds(Run run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    for (int i = 0; i < 10; ++i) runPlain(), runThroughRunner();  // warm caches

    // Interleaved, so drift in machine load touches both sides alike.
    std::vector<double> plain, runner;
    for (int i = 0; i < runs; ++i) {
        plain.push_back(microseconds(runPlain));
        runner.push_back(microseconds(runThroughRunner));
    }
    const double plainMedian = median(plain), runnerMedian = median(runner);
    // The runner's capture files live here; a disk-backed folder costs more than tmpfs.
    std::printf("%s, %d runs each, capture files in %s\n", kProgram, runs,
                tidewell::platform::temporaryDirectory().c_str());
    std::printf("  CommandRunner::run       median %9.1f us\n", runnerMedian);
    std::printf("  posix_spawn + waitpid    median %9.1f us\n", plainMedian);
    std::printf("  ratio runner / plain     %.2f (target <= 1.5)\n", runnerMedian / plainMedian);
    return 0;
}
