#include "cleanup/freedesktop/appimage/appimages.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "platform/folder_locations.h"
#include "util/file_descriptor.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

// The first bytes of a file, read without changing its access date: that date is when the
// user last ran the AppImage, and the inventory shows it as the app's last use. Only the
// file's owner may ask for that; others read it plainly.
std::optional<std::string> fileHeader(const fs::path& path) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (descriptor < 0 && errno == EPERM) descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const FileDescriptor file(descriptor);
    if (file.get() < 0) return std::nullopt;
    char header[11] = {};
    if (::read(file.get(), header, sizeof header) != static_cast<ssize_t>(sizeof header)) return std::nullopt;
    return std::string(header, sizeof header);
}

}  // namespace

bool isAppImageHeader(std::string_view firstBytes) {
    if (firstBytes.size() < 11 || firstBytes.substr(0, 4) !=
                                      "\x7f"
                                      "ELF")
        return false;
    return firstBytes.substr(8, 2) == "AI" && (firstBytes[10] == '\x01' || firstBytes[10] == '\x02');
}

std::vector<fs::path> appImageFiles() {
    const char* homeVariable = std::getenv("HOME");
    const fs::path home = homeVariable != nullptr ? homeVariable : "";
    std::vector<fs::path> folders;
    if (!home.empty()) folders = {home / "Applications", home / ".local/bin"};
    folders.push_back(platform::FolderLocations::systemPath("/opt"));
    if (!home.empty()) folders.push_back(home / "AppImages");

    std::vector<fs::path> files;
    std::set<fs::path> seen;
    for (const fs::path& folder : folders) {
        std::error_code error;
        std::map<std::string, fs::path> sorted;
        for (fs::directory_iterator list(folder, error); !error && list != fs::directory_iterator();
             list.increment(error))
            sorted.emplace(list->path().filename().string(), list->path());
        for (const auto& [name, path] : sorted) {
            std::error_code fileError;
            if (name.empty() || name.front() == '.' || !fs::is_regular_file(path, fileError)) continue;
            const std::optional<std::string> header = fileHeader(path);
            if (!header || !isAppImageHeader(*header)) continue;
            fs::path canonical = fs::weakly_canonical(path, fileError);
            if (fileError) canonical = path;
            if (seen.insert(canonical).second) files.push_back(path);
        }
    }
    return files;
}

}  // namespace tidewell::Freedesktop
