#include "cleanup/freedesktop/related_files.h"

namespace tidewell::Freedesktop {

std::vector<std::string> relatedKeys(const LinuxApp& app) {
    return {app.identifier};
}

AppScanner::RelatedUsage relatedFiles(const LinuxApp&) {
    return {};
}

}  // namespace tidewell::Freedesktop
