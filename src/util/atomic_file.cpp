#include "util/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "util/file_descriptor.h"
#include "util/uuid.h"

namespace tidewell {

namespace {

[[noreturn]] void throwErrno(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

void writeAll(int descriptor, std::string_view bytes, const std::string& name) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) throwErrno(errno, "Cannot write " + name);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void writeAndSync(FileDescriptor& file, const std::filesystem::path& temporary, std::string_view bytes) {
    writeAll(file.get(), bytes, temporary.string());
    if (::fsync(file.get()) != 0) throwErrno(errno, "Cannot flush " + temporary.string());
    if (file.close() != 0) throwErrno(errno, "Cannot close " + temporary.string());
}

// Makes the rename itself durable; a folder that cannot be synced is not an error.
void syncFolder(const std::filesystem::path& folder) {
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
}

}  // namespace

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = std::filesystem::absolute(path);
    const std::filesystem::path folder = target.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw std::system_error(error, "Cannot create folder " + folder.string());

    // A hidden, unique name beside the target keeps the rename on one file system.
    const std::filesystem::path temporary =
        folder / ("." + target.filename().string() + "." + makeUUIDString() + ".tmp");
    // The mode 0666 is narrowed by the process umask like any new file.
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.get() < 0) throwErrno(errno, "Cannot create " + temporary.string());
    try {
        writeAndSync(file, temporary, bytes);
        if (::rename(temporary.c_str(), target.c_str()) != 0) throwErrno(errno, "Cannot replace " + target.string());
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    syncFolder(folder);
}

}  // namespace tidewell
