#include "cli/tidewell_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

#include "support/temporary_folder.h"

extern char** environ;

namespace tidewell::testing {

namespace fs = std::filesystem;

fs::path tidewellExecutable() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "tidewell";
}

TidewellRun runTidewell(const std::vector<std::string>& arguments) {
    TemporaryFolder capture;
    const std::string outPath = (capture / "out").string();
    const std::string errPath = (capture / "err").string();
    std::vector<std::string> storage{tidewellExecutable().string()};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : storage) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    TidewellRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

std::vector<std::pair<std::string, std::int64_t>> treeSnapshot(const fs::path& root) {
    std::vector<std::pair<std::string, std::int64_t>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const bool file = entry.is_regular_file() && !entry.is_symlink();
        entries.emplace_back(entry.path().string(), file ? static_cast<std::int64_t>(entry.file_size()) : -1);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace tidewell::testing
