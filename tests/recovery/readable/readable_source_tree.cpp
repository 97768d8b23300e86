#include "recovery/readable/readable_source_tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "support/temporary_folder.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

ExternalRecoveryVolume folderSource(const fs::path& root, const std::string& name) {
    ExternalRecoveryVolume volume;
    volume.mountURL = root;
    volume.name = name;
    volume.id = root.string() + "#manual";
    volume.fileSystem = "Mounted volume";
    volume.isRemovable = true;
    volume.isManuallySelected = true;
    return volume;
}

std::string treeFingerprint(const fs::path& root) {
    std::vector<std::string> lines;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        struct stat facts {};
        ::lstat(it->path().c_str(), &facts);
        std::string line = it->path().string() + " " + std::to_string(facts.st_mode) + " " +
                           std::to_string(facts.st_size) + " " + std::to_string(facts.st_mtim.tv_sec) + "." +
                           std::to_string(facts.st_mtim.tv_nsec);
        if (S_ISREG(facts.st_mode)) line += " " + std::to_string(std::hash<std::string>()(readFile(it->path())));
        if (S_ISLNK(facts.st_mode)) line += " -> " + fs::read_symlink(it->path()).string();
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

void writeDatedFile(const fs::path& path, const std::string& bytes, std::chrono::system_clock::time_point modified) {
    writeFile(path, bytes);
    fs::last_write_time(path, std::chrono::file_clock::from_sys(modified));
}

}  // namespace tidewell::testing
