#pragma once

#include <filesystem>
#include <string_view>

namespace tidewell::FileFirstAidEngine {

// A fresh folder named prefix + UUID in the temporary folder, removed with
// everything in it when the object goes out of scope, whatever the outcome.
class TemporaryWorkFolder {
public:
    // Throws std::filesystem::filesystem_error when the folder cannot be made.
    explicit TemporaryWorkFolder(std::string_view prefix);
    ~TemporaryWorkFolder();
    TemporaryWorkFolder(const TemporaryWorkFolder&) = delete;
    TemporaryWorkFolder& operator=(const TemporaryWorkFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Gives the owner full access to every folder below root (links are not
// followed). Archives may carry read-only folders; unlocked, their contents can
// be walked, copied and removed by an ordinary user.
void grantOwnerAccessToFolders(const std::filesystem::path& root);

}  // namespace tidewell::FileFirstAidEngine
