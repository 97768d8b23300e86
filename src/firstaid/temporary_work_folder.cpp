#include "firstaid/temporary_work_folder.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "platform/folders.h"
#include "util/uuid.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

TemporaryWorkFolder::TemporaryWorkFolder(std::string_view prefix)
    : path_(platform::temporaryDirectory() / (std::string(prefix) + makeUUIDString())) {
    fs::create_directories(path_.parent_path());
    // A name already taken is never adopted: its contents are not ours to remove.
    if (!fs::create_directory(path_)) {
        throw fs::filesystem_error("Cannot create work folder", path_, std::make_error_code(std::errc::file_exists));
    }
}

TemporaryWorkFolder::~TemporaryWorkFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace tidewell::FileFirstAidEngine
