#include <sys/statvfs.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <system_error>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/repair_export.h"
#include "util/byte_size_text.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

// "." and ".." resolved without touching the disk.
fs::path standardized(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

// Also catches a spelling through a linked folder, which the text comparison misses.
bool namesSameFile(const fs::path& source, const fs::path& output) {
    if (standardized(source) == standardized(output)) return true;
    std::error_code error;
    return fs::equivalent(source, output, error) && !error;
}

// Space available to an ordinary user on the volume holding the folder; none when unknown.
std::optional<std::int64_t> availableCapacity(const fs::path& folder) {
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0) return std::nullopt;
    const auto bytes = static_cast<unsigned long long>(volume.f_bavail) * volume.f_frsize;
    return static_cast<std::int64_t>(
        std::min<unsigned long long>(bytes, static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max())));
}

std::int64_t requiredSpace(const fs::path& source, FileRepairKind kind) {
    const bool archive = kind == FileRepairKind::zipArchive || kind == FileRepairKind::officeDocument;
    return std::max<std::int64_t>(fileByteSize(source), 1) * (archive ? 3 : 2);
}

}  // namespace

void preflightExport(const fs::path& source, const fs::path& outputURL, FileRepairKind kind) {
    if (namesSameFile(source, outputURL)) {
        throw RepairError::writeFailed("Choose a different output path. Tidewell never overwrites the original file.");
    }
    const fs::path folder = standardized(outputURL).parent_path();
    const std::int64_t required = requiredSpace(source, kind);
    const std::optional<std::int64_t> available = availableCapacity(folder);
    if (available && *available < required) {
        throw RepairError::writeFailed("Not enough free space for a safe repair export. Need about " +
                                       tidewellString(required) + " free in " + folder.filename().string() + ".");
    }
}

}  // namespace tidewell::FileFirstAidEngine
