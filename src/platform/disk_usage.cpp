#include "platform/disk_usage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/file_properties.h"

namespace tidewell::platform {

namespace {

namespace fs = std::filesystem;

// Folders already queued, by device and inode: a bind mount can make a folder
// appear below itself, and the walk must still end.
using VisitedFolders = std::set<std::pair<dev_t, ino_t>>;

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

// Adds the allocated sizes of the regular files directly in `folder` and
// queues its visible subfolders. Hidden entries and symbolic links are passed
// over; a folder that cannot be opened (or was replaced by a link) adds nothing.
std::int64_t sizeOfEntriesIn(const fs::path& folder, std::vector<fs::path>& pending, VisitedFolders& visited) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) return 0;
    const std::unique_ptr<DIR, DirectoryCloser> directory(::fdopendir(descriptor));
    if (!directory) {
        ::close(descriptor);
        return 0;
    }
    std::int64_t total = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string_view name = entry->d_name;
        if (name.starts_with('.')) continue;  // also "." and ".."
        struct stat status {};
        if (::fstatat(descriptor, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(status.st_mode)) total += static_cast<std::int64_t>(status.st_blocks) * 512;
        if (S_ISDIR(status.st_mode) && visited.emplace(status.st_dev, status.st_ino).second) {
            pending.push_back(folder / name);
        }
    }
    return total;
}

}  // namespace

std::int64_t directorySize(const fs::path& path) {
    const auto properties = fileProperties(path);
    if (properties && properties->isRegularFile) return fileSize(path);
    // A link at the top is not followed either; anything else that is not a
    // folder simply has nothing to enumerate.
    if (!properties || !properties->isDirectory) return 0;
    std::int64_t total = 0;
    std::vector<fs::path> pending{path};
    VisitedFolders visited;
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) visited.emplace(status.st_dev, status.st_ino);
    while (!pending.empty()) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        total += sizeOfEntriesIn(folder, pending, visited);
    }
    return total;
}

std::int64_t fileSize(const fs::path& path) {
    const auto properties = fileProperties(path);
    if (!properties) return 0;
    return properties->totalAllocatedSize.value_or(properties->allocatedSize.value_or(0));
}

std::int64_t sizeIfExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error)) ? directorySize(path) : 0;
}

}  // namespace tidewell::platform
