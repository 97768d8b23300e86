#include "recovery/readable/readable_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace tidewell {

using Clock = std::chrono::system_clock;

namespace {

constexpr std::int64_t progressInterval = 120;

// Directories whose insides the walk never enters (listed, not descended).
constexpr std::array<std::string_view, 9> packageExtensions{".app", ".bundle", ".framework",     ".plugin",   ".kext",
                                                            ".pkg", ".mpkg",   ".photoslibrary", ".xcarchive"};

bool isPackageName(std::string_view name) {
    return std::any_of(packageExtensions.begin(), packageExtensions.end(), [&](std::string_view extension) {
        return name.size() > extension.size() && name.substr(name.size() - extension.size()) == extension;
    });
}

struct DirectoryEntry {
    std::string name;
    unsigned char type;  // DT_REG, DT_DIR, DT_LNK, DT_UNKNOWN ...
};

// One directory being walked: its entries, read whole so no descriptor stays
// open however deep the tree goes.
struct DirectoryFrame {
    std::string relativePath;  // "" for the root
    std::vector<DirectoryEntry> entries;
    std::size_t next = 0;
};

// Hidden entries are left out here, so the walk never visits them.
std::optional<std::vector<DirectoryEntry>> readDirectory(const std::string& path) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return std::nullopt;
    DIR* directory = ::fdopendir(descriptor);
    if (directory == nullptr) {
        ::close(descriptor);
        return std::nullopt;
    }
    std::vector<DirectoryEntry> entries;
    while (dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] == '.') continue;
        entries.push_back({entry->d_name, entry->d_type});
    }
    ::closedir(directory);
    return entries;
}

struct EntryFacts {
    unsigned char type = DT_UNKNOWN;
    std::int64_t size = 0;
    Clock::time_point modified;
};

unsigned char typeOfMode(std::uint16_t mode) {
    if (S_ISREG(mode)) return DT_REG;
    if (S_ISDIR(mode)) return DT_DIR;
    if (S_ISLNK(mode)) return DT_LNK;
    return DT_UNKNOWN;
}

// One statx per examined entry, never following a final link. The size is
// the allocated size when known and positive, else the logical size.
std::optional<EntryFacts> examine(const std::string& path) {
    struct statx facts {};
    unsigned mask = STATX_TYPE | STATX_SIZE | STATX_BLOCKS | STATX_MTIME;
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &facts) != 0) return std::nullopt;
    EntryFacts result;
    result.type = typeOfMode(facts.stx_mode);
    auto allocated = (facts.stx_mask & STATX_BLOCKS) ? static_cast<std::int64_t>(facts.stx_blocks) * 512 : 0;
    result.size = allocated > 0 ? allocated : static_cast<std::int64_t>(facts.stx_size);
    result.modified = Clock::time_point(std::chrono::duration_cast<Clock::duration>(
        std::chrono::seconds(facts.stx_mtime.tv_sec) + std::chrono::nanoseconds(facts.stx_mtime.tv_nsec)));
    return result;
}

class ReadableWalk {
public:
    ReadableWalk(std::string root, const ExternalRecoveryEngine::Token& token, const ProgressCallback& progress,
                 ReadableWalkLimits limits)
        : root_(std::move(root)), token_(token), progress_(progress), limits_(limits) {}

    bool run();
    ReadableWalkResult result;

private:
    std::string fullPath(const std::string& relative) const { return root_ + "/" + relative; }
    // False when a limit stops the walk.
    bool visit(const std::string& relative, const DirectoryEntry& entry);
    void consider(const std::string& relative, const DirectoryEntry& entry, unsigned char type,
                  std::optional<EntryFacts> facts);
    void descend(const std::string& relative);

    std::string root_;
    const ExternalRecoveryEngine::Token& token_;
    const ProgressCallback& progress_;
    ReadableWalkLimits limits_;
    std::vector<DirectoryFrame> stack_;
};

bool ReadableWalk::run() {
    auto entries = readDirectory(root_.empty() ? "/" : root_);
    if (!entries) return false;
    stack_.push_back({"", std::move(*entries)});
    while (!stack_.empty()) {
        DirectoryFrame& frame = stack_.back();
        if (frame.next == frame.entries.size()) {
            stack_.pop_back();
            continue;
        }
        DirectoryEntry entry = std::move(frame.entries[frame.next++]);
        std::string relative = frame.relativePath.empty() ? entry.name : frame.relativePath + "/" + entry.name;
        if (!visit(relative, entry)) break;
    }
    return true;
}

bool ReadableWalk::visit(const std::string& relative, const DirectoryEntry& entry) {
    if (token_ && token_->isCancelled()) throw ExternalRecoveryEngine::RecoveryError::cancelled();
    ++result.visited;
    if (result.visited > limits_.maximumVisitedItems ||
        static_cast<std::int64_t>(result.candidates.size()) >= limits_.maximumCandidateCount) {
        result.limitReached = true;
        return false;
    }
    std::optional<EntryFacts> facts;
    unsigned char type = entry.type;
    if (type == DT_UNKNOWN) {
        facts = examine(fullPath(relative));
        if (!facts) {
            ++result.skipped;
            return true;
        }
        type = facts->type;
    }
    consider(relative, entry, type, facts);
    return true;
}

void ReadableWalk::consider(const std::string& relative, const DirectoryEntry& entry, unsigned char type,
                            std::optional<EntryFacts> facts) {
    // Links are never followed or copied.
    if (type == DT_LNK) {
        ++result.skipped;
        return;
    }
    if (type == DT_DIR && !isPackageName(entry.name)) descend(relative);
    if (type != DT_REG) return;
    RecoveryCandidateKind kind = RecoveryCandidateKinds::detect(entry.name);
    if (kind == RecoveryCandidateKind::other) return;
    if (!facts) facts = examine(fullPath(relative));
    // Gone, or replaced by a link, since the directory was read.
    if (!facts || facts->type == DT_LNK) {
        ++result.skipped;
        return;
    }
    if (facts->type != DT_REG) return;
    if (facts->size < ExternalRecoveryEngine::Limits::minimumCandidateBytes) {
        ++result.skipped;
        return;
    }
    // The walk never follows links, so its own path below the root is the
    // relative path that resolving both ends would give.
    result.candidates.push_back({fullPath(relative), relative, kind, facts->size, facts->modified});
    if (progress_ && result.visited % progressInterval == 0) {
        auto visited = static_cast<double>(result.visited);
        double fraction = std::min(0.96, visited / std::max(visited + 800, 1.0));
        progress_(fraction, "Indexed " + std::to_string(result.candidates.size()) + " readable files");
    }
}

void ReadableWalk::descend(const std::string& relative) {
    // An unreadable folder is passed over, as if empty.
    if (auto entries = readDirectory(fullPath(relative))) stack_.push_back({relative, std::move(*entries)});
}

}  // namespace

std::optional<ReadableWalkResult> walkReadableTree(const std::string& root, const ExternalRecoveryEngine::Token& token,
                                                   const ProgressCallback& progress, ReadableWalkLimits limits) {
    ReadableWalk walk(root == "/" ? std::string() : root, token, progress, limits);
    if (!walk.run()) return std::nullopt;
    return std::move(walk.result);
}

}  // namespace tidewell
