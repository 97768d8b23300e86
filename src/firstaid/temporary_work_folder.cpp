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
    std::error_code error;
    fs::remove_all(path_, error);
    if (!error) return;
    // A read-only folder from an archive blocks removal of what it holds.
    grantOwnerAccessToFolders(path_);
    fs::remove_all(path_, error);
}

void grantOwnerAccessToFolders(const fs::path& root) {
    std::error_code error;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
    fs::recursive_directory_iterator items(root, error);
    for (; !error && items != fs::recursive_directory_iterator(); items.increment(error)) {
        std::error_code statusError;
        if (!fs::is_directory(items->symlink_status(statusError))) continue;
        // Before the iterator steps into the folder, so that it can be listed.
        std::error_code ignored;
        fs::permissions(items->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
}

}  // namespace tidewell::FileFirstAidEngine
