#include "firstaid/output_files.h"

#include <fstream>
#include <system_error>

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

std::string joinedName(const std::string& base, const std::string& extension) {
    return extension.empty() ? base : base + "." + extension;
}

bool isTaken(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

}  // namespace

fs::path firstFreeOutputPath(const fs::path& directory, const std::string& base, const std::string& extension) {
    fs::path candidate = directory / joinedName(base, extension);
    for (int n = 2; isTaken(candidate); ++n) {
        candidate = directory / joinedName(base + " (" + std::to_string(n) + ")", extension);
    }
    return candidate;
}

void writeFileContents(const fs::path& file, std::string_view bytes, const char* failureMessage) {
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) throw fs::filesystem_error(failureMessage, file, std::make_error_code(std::errc::io_error));
}

}  // namespace tidewell::FileFirstAidEngine
