#include "recovery/readable/readable_file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "util/file_descriptor.h"

namespace tidewell {

namespace {

[[noreturn]] void throwErrno(int code) {
    throw std::system_error(code, std::generic_category());
}

bool copyWithReadWrite(int input, int output) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t count = ::read(input, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) return true;
        for (ssize_t written = 0; written < count;) {
            ssize_t step = ::write(output, buffer.data() + written, static_cast<std::size_t>(count - written));
            if (step < 0 && errno == EINTR) continue;
            if (step < 0) return false;
            written += step;
        }
    }
}

// In-kernel copy first; file systems that cannot do it get the plain loop.
bool copyContents(int input, int output) {
    for (bool first = true;; first = false) {
        ssize_t count = ::copy_file_range(input, nullptr, output, nullptr, 1 << 30, 0);
        if (count > 0) continue;
        if (count == 0) return true;
        if (errno == EINTR) continue;
        bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP;
        if (first && unsupported) return copyWithReadWrite(input, output);
        return false;
    }
}

}  // namespace

void copyReadableFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    FileDescriptor input(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (input.get() < 0) throwErrno(errno);
    struct stat facts {};
    if (::fstat(input.get(), &facts) != 0) throwErrno(errno);
    if (!S_ISREG(facts.st_mode)) throwErrno(EINVAL);

    mode_t mode = (facts.st_mode & 0777) | S_IRUSR | S_IWUSR;
    FileDescriptor output(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (output.get() < 0) throwErrno(errno);
    bool copied = copyContents(input.get(), output.get());
    int copyError = errno;
    if (copied) {
        const struct timespec times[2] = {facts.st_atim, facts.st_mtim};
        ::futimens(output.get(), times);
        // A delayed write error shows only when the file is closed.
        copied = output.close() == 0;
        copyError = errno;
    }
    if (!copied) {
        // Only the incomplete copy this call created is removed.
        ::unlink(target.c_str());
        throwErrno(copyError);
    }
}

}  // namespace tidewell
