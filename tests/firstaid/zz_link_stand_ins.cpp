// TEMPORARY link stand-ins until the foundation lands on main; never committed.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "firstaid/command_runner.h"
#include "platform/file_properties.h"
#include "platform/folders.h"
#include "util/byte_size_text.h"
#include "util/string_helpers.h"
#include "util/uuid.h"

namespace tidewell {
std::string tidewellString(std::int64_t n) {
    if (n < 1000) return std::to_string(n) + " bytes";
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double v = n;
    int u = -1;
    while (v >= 1000 && u < 3) {
        v /= 1000;
        ++u;
    }
    char buf[64];
    snprintf(buf, sizeof buf, "%.1f %s", v, units[u]);
    return buf;
}
std::string makeUUIDString() {
    static std::mt19937_64 r(std::random_device{}());
    char buf[64];
    snprintf(buf, sizeof buf, "%016llX%016llX", (unsigned long long)r(), (unsigned long long)r());
    return buf;
}
std::string tidewellDisplayName(std::string_view token) {
    std::string out, piece;
    auto flush = [&] {
        if (piece.empty()) return;
        for (auto& c : piece) c = tolower(c);
        piece[0] = toupper(piece[0]);
        if (!out.empty()) out += ' ';
        out += piece;
        piece.clear();
    };
    for (char c : token) {
        if (c == '-' || c == '_')
            flush();
        else
            piece += c;
    }
    flush();
    return out;
}
std::string CommandOutput::combined() const {
    auto trim = [](std::string s) {
        auto a = s.find_first_not_of(" \t\r\n");
        if (a == std::string::npos) return std::string();
        auto b = s.find_last_not_of(" \t\r\n");
        return s.substr(a, b - a + 1);
    };
    auto o = trim(stdoutText), e = trim(stderrText);
    if (o.empty()) return e;
    if (e.empty()) return o;
    return o + "\n" + e;
}
namespace CommandRunner {
std::optional<std::string> firstExecutable(const std::string& name, const std::vector<std::string>& extra) {
    std::vector<std::string> c;
    if (auto r = platform::resourceDirectory()) {
        c.push_back((*r / "Tools" / name).string());
        c.push_back((*r / "Tools" / (name + "-macos")).string());
    }
    for (auto& e : extra) c.push_back(e);
    if (name == "zip" || name == "unzip") {
        c.push_back("/usr/bin/" + name);
        c.push_back("/bin/" + name);
    }
    for (auto& p : c) {
        struct stat st;
        if (stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(p.c_str(), X_OK) == 0) return p;
    }
    return std::nullopt;
}
CommandOutput run(const std::string& exe, const std::vector<std::string>& args,
                  const std::optional<std::filesystem::path>& cwd, const std::optional<std::string>& input,
                  const std::shared_ptr<RepairCancellationToken>&, double) {
    char o[] = "/tmp/TidewellStandInOutXXXXXX", e[] = "/tmp/TidewellStandInErrXXXXXX";
    int of = mkstemp(o), ef = mkstemp(e);
    int in[2];
    if (pipe(in) != 0) throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        close(in[1]);
        dup2(of, 1);
        dup2(ef, 2);
        if (cwd) {
            if (chdir(cwd->c_str()) != 0) _exit(127);
        }
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    if (input) {
        ssize_t w = write(in[1], input->data(), input->size());
        (void)w;
    }
    close(in[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    close(of);
    close(ef);
    auto slurp = [](const char* p) {
        std::ifstream f(p, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    };
    CommandOutput out{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), slurp(o), slurp(e)};
    unlink(o);
    unlink(e);
    return out;
}
void terminateAll() {}
}  // namespace CommandRunner
namespace platform {
std::optional<FileProperties> fileProperties(const std::filesystem::path& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    FileProperties p;
    p.isRegularFile = S_ISREG(st.st_mode);
    p.isDirectory = S_ISDIR(st.st_mode);
    p.isSymbolicLink = S_ISLNK(st.st_mode);
    if (p.isRegularFile) {
        p.allocatedSize = st.st_blocks * 512;
        p.totalAllocatedSize = st.st_blocks * 512;
    }
    p.logicalSize = st.st_size;
    return p;
}
std::optional<std::filesystem::path> resourceDirectory() {
    if (const char* d = getenv("TIDEWELL_RESOURCE_DIR")) return std::filesystem::path(d);
    auto exe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / ".." / "share" / "tidewell";
    if (std::filesystem::exists(exe)) return exe;
    return std::nullopt;
}
}  // namespace platform
}  // namespace tidewell
