#include "cleanup/freedesktop/appimage/appimages.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

#include "platform/folder_locations.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

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
            std::ifstream file(path, std::ios::binary);
            char header[11] = {};
            if (!file.read(header, sizeof header)) continue;
            if (!isAppImageHeader(std::string_view(header, sizeof header))) continue;
            fs::path canonical = fs::weakly_canonical(path, fileError);
            if (fileError) canonical = path;
            if (seen.insert(canonical).second) files.push_back(path);
        }
    }
    return files;
}

}  // namespace tidewell::Freedesktop
