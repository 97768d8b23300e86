#include "recovery/deleted/device_imaging.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <sstream>

#include "platform/block_device_geometry.h"
#include "platform/mount_info.h"
#include "recovery/deleted/privileged_device_reader.h"
#include "util/atomic_file.h"
#include "util/byte_size_text.h"
#include "util/file_descriptor.h"
#include "util/path_containment.h"

namespace tidewell::DeviceImaging {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Case = ImagingError::Case;

struct ReadOutcome {
    std::vector<std::uint8_t> bytes;
    std::string error;  // empty when the read succeeded
};

ReadOutcome tryRead(const RawReader& reader, std::int64_t offset, std::int64_t length) {
    try {
        return {reader.read(offset, static_cast<std::size_t>(length)), {}};
    } catch (const std::exception& error) {
        const std::string message = error.what();
        return {{}, message.empty() ? std::string("Unknown error.") : message};
    }
}

std::string errnoText(int error) {
    return std::strerror(error);
}

// "0:02:05": hours, minutes and seconds read the same in every language.
std::string clockText(double seconds) {
    const auto total = static_cast<std::int64_t>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(total / 3600),
                  static_cast<long long>(total / 60 % 60), static_cast<long long>(total % 60));
    return text;
}

// --- Checks before anything is written

fs::path resolvedOutput(const fs::path& image) {
    const fs::path absolute = fs::absolute(image);
    return platform::resolvedPath(absolute.parent_path()) / absolute.filename();
}

void refuseSourceDestination(const Source& source, const fs::path& image) {
    const fs::path output = resolvedOutput(image);
    const std::string message =
        "Choose a place outside " + source.name + " for the image, because Tidewell never writes to the source.";
    // Every mount of the source is listed (bind mounts too), so the paths decide.
    for (const fs::path& mount : source.mountPoints)
        if (isPathInside(output, platform::resolvedPath(mount))) throw ImagingError(Case::refusedDestination, message);
    std::error_code error;
    if (source.file && fs::exists(output, error) && fs::equivalent(output, *source.file, error))
        throw ImagingError(Case::refusedDestination, message);
}

// The map of an earlier run, or none when a new image is to be made.
std::optional<ImageMap> earlierMap(const Source& source, const fs::path& image, bool resume) {
    const fs::path map = mapPath(image);
    std::error_code error;
    const bool hasImage = fs::exists(fs::symlink_status(image, error));
    const bool hasMap = fs::exists(fs::symlink_status(map, error));
    if (hasImage && !hasMap)
        throw ImagingError(Case::existingImage,
                           image.string() + " already exists without its map, so Tidewell will not write over it.");
    if (!resume && hasMap)
        throw ImagingError(Case::existingImage,
                           image.string() + " already has a map; resume its imaging or choose a new name.");
    if (!resume || !hasMap) return std::nullopt;
    if (!hasImage)
        throw ImagingError(Case::cannotResume, image.string() + " is missing, so its imaging cannot be resumed.");
    std::ifstream stream(map, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    auto parsed = ImageMap::parse(text.str());
    if (!stream || !parsed)
        throw ImagingError(Case::cannotResume, map.string() +
                                                   " is not a Tidewell image map, so the imaging cannot "
                                                   "be resumed.");
    if (parsed->size() != source.sizeBytes || parsed->sectorSize() != source.sectorSize)
        throw ImagingError(Case::cannotResume,
                           map.string() + " describes a source of another size than " + source.name + ".");
    return parsed;
}

std::int64_t allocatedBytes(const fs::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return 0;
    return static_cast<std::int64_t>(status.st_blocks) * 512;
}

void requireFreeSpace(const fs::path& image, std::int64_t needed) {
    const fs::path folder = resolvedOutput(image).parent_path();
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0)
        throw ImagingError(Case::writeFailed,
                           "Could not use the folder " + folder.string() + ": " + errnoText(errno) + ".");
    const auto available = static_cast<std::int64_t>(volume.f_bavail) * static_cast<std::int64_t>(volume.f_frsize);
    if (available < needed)
        throw ImagingError(Case::notEnoughSpace, folder.string() + " has " + tidewellString(available) +
                                                     " free, but the image needs " + tidewellString(needed) + ".");
}

// --- The copy

class Imaging {
public:
    Imaging(const Source& source, const fs::path& image, ImageMap map, const RecoveryCancellationToken* token,
            const ProgressCallback& progress)
        : source_(source), image_(image), map_(std::move(map)), token_(token), progress_(progress) {}

    Result run(bool existing);

private:
    void openImage(bool existing);
    void copyPass();
    void retryPasses();
    // Writes a successful read, or marks the range with `failed` (zeros in the image when unreadable).
    void settle(std::int64_t offset, std::int64_t length, ReadOutcome outcome, RangeStatus failed);
    void requireSourceAnswers(const std::string& error);
    void writeAt(std::int64_t offset, const std::uint8_t* bytes, std::int64_t length);
    void saveMap();
    void saveMapWhenDue();
    void stopIfCancelled();
    void report(bool force);

    const Source& source_;
    fs::path image_;
    ImageMap map_;
    const RecoveryCancellationToken* token_;
    const ProgressCallback& progress_;
    std::optional<FileDescriptor> file_;
    std::optional<std::int64_t> knownGood_;
    int failuresInARow_ = 0;
    std::int64_t readThisRun_ = 0;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastSave_ = Clock::now();
    Clock::time_point lastReport_{};
};

void Imaging::openImage(bool existing) {
    const int flags = O_WRONLY | O_CLOEXEC | (existing ? 0 : O_CREAT | O_EXCL);
    file_.emplace(::open(image_.c_str(), flags, 0600));
    if (file_->get() < 0)
        throw ImagingError(Case::writeFailed, "Could not write " + image_.string() + ": " + errnoText(errno) + ".");
    // The final size at once: the space is reserved and a full volume shows now, not hours later.
    int error = ::posix_fallocate(file_->get(), 0, map_.size());
    if (error == EOPNOTSUPP || error == EINVAL) error = ::ftruncate(file_->get(), map_.size()) == 0 ? 0 : errno;
    if (error == ENOSPC) requireFreeSpace(image_, map_.size());
    if (error != 0)
        throw ImagingError(Case::writeFailed, "Could not write " + image_.string() + ": " + errnoText(error) + ".");
}

Result Imaging::run(bool existing) {
    openImage(existing);
    saveMap();
    copyPass();
    retryPasses();
    if (::fsync(file_->get()) != 0 || file_->close() != 0)
        throw ImagingError(Case::writeFailed, "Could not write " + image_.string() + ": " + errnoText(errno) + ".");
    saveMap();
    report(true);
    return {image_, mapPath(image_), map_.size(), map_.bytesWith(RangeStatus::copied),
            map_.rangesWith(RangeStatus::unreadable)};
}

// Reads one block ahead while the previous one is written, so the source never waits for the image.
void Imaging::copyPass() {
    std::vector<std::pair<std::int64_t, std::int64_t>> blocks;
    for (const MapRange& range : map_.rangesWith(RangeStatus::pending))
        for (std::int64_t offset = range.start; offset < range.end(); offset += Limits::copyBlockSize)
            blocks.emplace_back(offset, std::min(Limits::copyBlockSize, range.end() - offset));
    const auto readAhead = [this](std::pair<std::int64_t, std::int64_t> block) {
        return std::async(std::launch::async,
                          [reader = source_.reader, block] { return tryRead(*reader, block.first, block.second); });
    };
    std::future<ReadOutcome> next;
    if (!blocks.empty()) next = readAhead(blocks.front());
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        ReadOutcome outcome = next.get();
        const bool cancelled = token_ && token_->isCancelled();
        if (!cancelled && index + 1 < blocks.size()) next = readAhead(blocks[index + 1]);
        settle(blocks[index].first, blocks[index].second, std::move(outcome), RangeStatus::retry);
        if (cancelled) stopIfCancelled();
        saveMapWhenDue();
    }
}

// Each failed range again in blocks of each retry size, aligned to that size; what fails at
// the sector size is unreadable.
void Imaging::retryPasses() {
    std::vector<std::int64_t> sizes;
    for (std::int64_t size : Limits::retryBlockSizes)
        if (size > source_.sectorSize) sizes.push_back(size);
    sizes.push_back(source_.sectorSize);
    for (std::size_t level = 0; level < sizes.size(); ++level) {
        const std::int64_t size = sizes[level];
        const RangeStatus failed = level + 1 == sizes.size() ? RangeStatus::unreadable : RangeStatus::retry;
        for (const MapRange& range : map_.rangesWith(RangeStatus::retry))
            for (std::int64_t offset = range.start; offset < range.end();) {
                stopIfCancelled();
                const std::int64_t end = std::min(range.end(), (offset / size + 1) * size);
                settle(offset, end - offset, tryRead(*source_.reader, offset, end - offset), failed);
                saveMapWhenDue();
                offset = end;
            }
    }
}

void Imaging::settle(std::int64_t offset, std::int64_t length, ReadOutcome outcome, RangeStatus failed) {
    if (outcome.error.empty() && std::cmp_equal(outcome.bytes.size(), length)) {
        writeAt(offset, outcome.bytes.data(), length);
        map_.mark(offset, length, RangeStatus::copied);
        if (!knownGood_) knownGood_ = offset;
        failuresInARow_ = 0;
        readThisRun_ += length;
    } else {
        requireSourceAnswers(outcome.error);
        if (failed == RangeStatus::unreadable) {
            // An earlier run may have written here before its map was saved.
            const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(length));
            writeAt(offset, zeros.data(), length);
        }
        map_.mark(offset, length, failed);
    }
    // Every large block is reported; the small reads of the retry passes ten times a second at most.
    report(length >= Limits::copyBlockSize);
}

// A failed read is a bad area only while the source still answers elsewhere: the first sector
// that was read is read again. A source that is gone (unplugged, helper stopped) ends the
// run with the map saved, so that it can be resumed.
void Imaging::requireSourceAnswers(const std::string& error) {
    const std::string stopped = "Tidewell stopped reading " + source_.name + ": " + error;
    if (knownGood_) {
        const std::int64_t length = std::min(source_.sectorSize, map_.size() - *knownGood_);
        if (tryRead(*source_.reader, *knownGood_, length).error.empty()) return;
        saveMap();
        throw ImagingError(Case::unreadableSource, stopped);
    }
    if (++failuresInARow_ < Limits::failuresBeforeAnyRead) return;
    saveMap();
    throw ImagingError(Case::unreadableSource, stopped);
}

void Imaging::writeAt(std::int64_t offset, const std::uint8_t* bytes, std::int64_t length) {
    while (length > 0) {
        const ssize_t written = ::pwrite(file_->get(), bytes, static_cast<std::size_t>(length), offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            throw ImagingError(Case::writeFailed, "Could not write " + image_.string() + ": " +
                                                      errnoText(written < 0 ? errno : ENOSPC) + ".");
        bytes += written;
        offset += written;
        length -= written;
    }
}

// The image's bytes reach the disk before a map that says they are there.
void Imaging::saveMap() {
    if (file_ && file_->get() >= 0 && ::fdatasync(file_->get()) != 0)
        throw ImagingError(Case::writeFailed, "Could not write " + image_.string() + ": " + errnoText(errno) + ".");
    try {
        writeFileAtomically(mapPath(image_), map_.text());
    } catch (const std::system_error& error) {
        throw ImagingError(Case::writeFailed,
                           "Could not write " + mapPath(image_).string() + ": " + error.code().message() + ".");
    }
    lastSave_ = Clock::now();
}

void Imaging::saveMapWhenDue() {
    if (Clock::now() - lastSave_ >= Limits::mapSaveInterval) saveMap();
}

void Imaging::stopIfCancelled() {
    if (!token_ || !token_->isCancelled()) return;
    saveMap();
    throw ImagingError(Case::cancelled, "Disk imaging cancelled.");
}

// "Imaged 1.2 GB of 4 GB · 85.3 MB/s · 0:00:33 left · 4.19 MB to retry".
void Imaging::report(bool force) {
    if (!progress_) return;
    const Clock::time_point now = Clock::now();
    if (!force && now - lastReport_ < std::chrono::milliseconds(100)) return;
    lastReport_ = now;
    const std::int64_t done = map_.bytesWith(RangeStatus::copied) + map_.bytesWith(RangeStatus::unreadable);
    std::string line = "Imaged " + tidewellString(done) + " of " + tidewellString(map_.size());
    const double seconds = std::chrono::duration<double>(now - started_).count();
    if (readThisRun_ > 0 && seconds > 0) {
        const double speed = static_cast<double>(readThisRun_) / seconds;
        line += " · " + tidewellString(static_cast<std::int64_t>(speed)) + "/s · " +
                clockText(static_cast<double>(map_.size() - done) / speed) + " left";
    }
    if (const std::int64_t retry = map_.bytesWith(RangeStatus::retry); retry > 0)
        line += " · " + tidewellString(retry) + " to retry";
    progress_(map_.size() > 0 ? static_cast<double>(done) / static_cast<double>(map_.size()) : 1.0, line);
}

}  // namespace

Result makeImage(const Source& source, const fs::path& image, bool resume,
                 const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress) {
    refuseSourceDestination(source, image);
    std::optional<ImageMap> earlier = earlierMap(source, image, resume);
    const bool existing = earlier.has_value();
    requireFreeSpace(image, source.sizeBytes - (existing ? allocatedBytes(image) : 0));
    ImageMap map = existing ? std::move(*earlier) : ImageMap(source.name, source.sizeBytes, source.sectorSize);
    return Imaging(source, image, std::move(map), cancellationToken, progress).run(existing);
}

Result imagePartition(const std::string& deviceIdentifier, const std::string& name,
                      const std::optional<fs::path>& mountPoint, const fs::path& image, bool resume,
                      const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress) {
    const auto geometry = platform::blockDeviceGeometry(deviceIdentifier);
    if (!geometry)
        throw ImagingError(Case::unreadableSource, "Tidewell could not find the partition " + deviceIdentifier + ".");
    const PrivilegedDeviceReader reader(deviceIdentifier);
    Source source{&reader,
                  name,
                  geometry->sizeBytes,
                  geometry->sectorSize,
                  platform::mountPointsOfBlockDevice(deviceIdentifier),
                  std::nullopt};
    if (mountPoint) source.mountPoints.push_back(*mountPoint);
    return makeImage(source, image, resume, cancellationToken, progress);
}

}  // namespace tidewell::DeviceImaging
