#include "recovery/deleted/file_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "recovery/deleted/recovery_error.h"
#include "util/file_descriptor.h"

namespace tidewell {

namespace {

// Reads until `length` bytes arrived or the file ended; returns the count read.
std::size_t readFully(int fd, std::uint8_t* target, std::size_t length, std::int64_t offset) {
    std::size_t total = 0;
    while (total < length) {
        ssize_t got =
            ::pread(fd, target + total, length - total, static_cast<off_t>(offset) + static_cast<off_t>(total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw std::system_error(errno, std::generic_category(), "Could not read the recovery image");
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

}  // namespace

FileReader::FileReader(std::filesystem::path url, std::string shortReadMessage)
    : url_(std::move(url)), shortReadMessage_(std::move(shortReadMessage)) {}

std::vector<std::uint8_t> FileReader::read(std::int64_t offset, std::size_t length) const {
    FileDescriptor file(::open(url_.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) throw std::system_error(errno, std::generic_category(), "Could not open " + url_.string());
    if (offset < 0) throw FATDeletedRecoveryEngine::RecoveryError::unavailableSource(shortReadMessage_);
    std::vector<std::uint8_t> bytes(length);
    if (readFully(file.get(), bytes.data(), length, offset) != length)
        throw FATDeletedRecoveryEngine::RecoveryError::unavailableSource(shortReadMessage_);
    return bytes;
}

}  // namespace tidewell
