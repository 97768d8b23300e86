#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tidewell {
class ChildProcess;
}

namespace tidewell::screenshots {

// The sample card's raw partition for a deleted-file scan: a FAT32 image under `folder`, served
// read-only by the real tidewell-raw-helper (built beside this executable) on a socket of its
// own. The helper runs for the life of the object and is stopped when it goes.
class DeletedCardServer {
public:
    DeletedCardServer(const std::filesystem::path& folder, const std::string& deviceIdentifier);
    ~DeletedCardServer();
    DeletedCardServer(const DeletedCardServer&) = delete;
    DeletedCardServer& operator=(const DeletedCardServer&) = delete;

    bool isServing() const { return !unavailableReason_; }
    // Why no deleted-file scan can run (a tool or the helper is missing, or the helper failed).
    const std::optional<std::string>& unavailableReason() const { return unavailableReason_; }

private:
    void startHelper(const std::filesystem::path& socket, const std::filesystem::path& devices,
                     const std::filesystem::path& sysfs);

    std::shared_ptr<ChildProcess> helper_;
    std::optional<std::string> unavailableReason_;
};

}  // namespace tidewell::screenshots
