#include "platform/mount_info.h"
#include "recovery/readable/external_recovery_engine.h"
#include "util/path_containment.h"

namespace tidewell {

namespace fs = std::filesystem;

fs::path standardizedPath(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    std::string text = (error ? path : absolute).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

bool destinationIsOnSource(const fs::path& source, const fs::path& destination) {
    return isPathInside(destination, source) ||
           isPathInside(platform::resolvedPath(destination), platform::resolvedPath(source));
}

}  // namespace tidewell
