#include "cleanup/freedesktop/linux_safe_cleanup.h"

namespace tidewell::Freedesktop {

std::vector<SafeCleanupItem> safeCleanupItems(const std::vector<std::string>&) {
    return {};
}

}  // namespace tidewell::Freedesktop
