#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <system_error>

#include "platform/folders.h"
#include "platform/trash.h"

namespace tidewell::platform::Trash {

namespace {

namespace fs = std::filesystem;

constexpr int maximumNameAttempts = 10000;

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

std::optional<struct stat> linkStatus(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
    return status;
}

// The device of the closest existing folder at or above `path`.
dev_t deviceOfNearestExisting(fs::path path) {
    struct stat status {};
    while (::stat(path.c_str(), &status) != 0 && path.has_relative_path()) path = path.parent_path();
    return status.st_dev;
}

// The item's absolute path with its parent's links resolved: the place the
// file manager will put it back.
fs::path locatedPath(const fs::path& item) {
    const fs::path absolute = fs::absolute(item).lexically_normal();
    std::error_code error;
    const fs::path parent = fs::weakly_canonical(absolute.parent_path(), error);
    return error ? absolute : parent / absolute.filename();
}

// The highest folder above `start` still on `device`.
fs::path mountTop(fs::path start, dev_t device) {
    while (start.has_relative_path()) {
        struct stat status {};
        if (::stat(start.parent_path().c_str(), &status) != 0 || status.st_dev != device) break;
        start = start.parent_path();
    }
    return start;
}

void prepareFolder(const fs::path& folder) {
    if (const auto status = linkStatus(folder)) {
        if (!S_ISDIR(status->st_mode) || status->st_uid != ::geteuid()) {
            fail("The trash folder is not a folder of this user", folder, EPERM);
        }
        return;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) fail("Cannot create the trash folder", folder, errno);
    const auto created = linkStatus(folder);
    if (!created || !S_ISDIR(created->st_mode)) fail("Cannot create the trash folder", folder, ENOTDIR);
}

std::string recordedPath(const fs::path& original, const fs::path& trash) {
    if (trash.lexically_normal() == homeTrashFolder().lexically_normal()) return original.native();
    const fs::path relative = original.lexically_relative(trash.parent_path());
    if (relative.empty() || *relative.begin() == "..") return original.native();
    return relative.native();
}

void writeAll(int descriptor, const std::string& text, const fs::path& path) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) fail("Cannot write the trash information record", path, count < 0 ? errno : EIO);
        written += static_cast<std::size_t>(count);
    }
}

// Creates the record only when no record of that name exists; false when one does.
bool createRecordExclusively(const fs::path& path, const std::string& record) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        if (errno == EEXIST) return false;
        fail("Cannot create the trash information record", path, errno);
    }
    try {
        writeAll(descriptor, record, path);
        if (::fsync(descriptor) != 0) fail("Cannot write the trash information record", path, errno);
    } catch (...) {
        ::close(descriptor);
        ::unlink(path.c_str());
        throw;
    }
    ::close(descriptor);
    return true;
}

// rename(2) that never replaces an existing entry.
int renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    if (linkStatus(to)) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

}  // namespace

fs::path homeTrashFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && *dataHome == '/') return fs::path(dataHome) / "Trash";
    return homeDirectory() / ".local/share/Trash";
}

fs::path trashFolderFor(const fs::path& item) {
    const auto status = linkStatus(item);
    if (!status) fail("Cannot move to the trash", item, errno);
    const fs::path home = homeTrashFolder();
    if (deviceOfNearestExisting(home) == status->st_dev) return home;
    const fs::path top = mountTop(locatedPath(item).parent_path(), status->st_dev);
    return top / (".Trash-" + std::to_string(::geteuid()));
}

void prepareTrashFolder(const fs::path& trash) {
    std::error_code error;
    fs::create_directories(trash.parent_path(), error);
    if (error) fail("Cannot create the trash folder", trash.parent_path(), error.value());
    prepareFolder(trash);
    prepareFolder(trash / "files");
    prepareFolder(trash / "info");
}

fs::path Reservation::filesPath() const {
    return trash / "files" / name;
}

fs::path Reservation::infoPath() const {
    return trash / "info" / (name + ".trashinfo");
}

std::string candidateName(const std::string& fileName, std::int64_t stamp, int attempt) {
    if (attempt <= 0) return fileName;
    const std::size_t dot = fileName.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0 && dot + 1 < fileName.size();
    const std::string base = hasExtension ? fileName.substr(0, dot) : fileName;
    std::string name = base + " " + std::to_string(stamp);
    if (attempt > 1) name += "-" + std::to_string(attempt);
    if (hasExtension) name += fileName.substr(dot);
    return name;
}

std::string percentEncodedPath(const std::string& path) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char character : path) {
        const auto byte = static_cast<unsigned char>(character);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') ||
                           std::string_view("/-_.!~*'()").find(character) != std::string_view::npos;
        if (plain) {
            encoded += character;
        } else {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 0x0F];
        }
    }
    return encoded;
}

std::string infoRecord(const std::string& recordedPath, std::chrono::system_clock::time_point deletion) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(deletion);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncodedPath(recordedPath) + "\nDeletionDate=" + date + "\n";
}

Reservation reserve(const fs::path& original, const fs::path& trash, std::chrono::system_clock::time_point deletion) {
    const std::string fileName = original.filename().native();
    if (fileName.empty() || fileName == "." || fileName == "..") fail("Cannot move to the trash", original, EINVAL);
    const std::string record = infoRecord(recordedPath(original, trash), deletion);
    const auto stamp = std::chrono::duration_cast<std::chrono::seconds>(deletion.time_since_epoch()).count();
    for (int attempt = 0; attempt < maximumNameAttempts; ++attempt) {
        Reservation reservation{trash, candidateName(fileName, stamp, attempt)};
        if (linkStatus(reservation.filesPath())) continue;
        if (createRecordExclusively(reservation.infoPath(), record)) return reservation;
    }
    fail("No free name in the trash", trash, EEXIST);
}

void release(const Reservation& reservation) noexcept {
    ::unlink(reservation.infoPath().c_str());
}

fs::path moveIntoTrash(const fs::path& item, const fs::path& trash) {
    const auto status = linkStatus(item);
    if (!status) fail("Cannot move to the trash", item, errno);
    prepareTrashFolder(trash);
    struct stat filesStatus {};
    if (::stat((trash / "files").c_str(), &filesStatus) != 0) fail("Cannot use the trash folder", trash, errno);
    // Only a rename keeps the item intact; a copy-and-delete is never done.
    if (filesStatus.st_dev != status->st_dev) fail("The trash is on another file system", item, EXDEV);
    const Reservation reservation = reserve(locatedPath(item), trash);
    if (renameWithoutReplacing(item, reservation.filesPath()) != 0) {
        const int error = errno;
        release(reservation);
        fail("Cannot move to the trash", item, error);
    }
    return reservation.filesPath();
}

fs::path moveToTrash(const fs::path& item) {
    const fs::path trash = trashFolderFor(item);
    return moveIntoTrash(item, trash);
}

}  // namespace tidewell::platform::Trash
