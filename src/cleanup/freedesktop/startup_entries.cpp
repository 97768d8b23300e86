#include "cleanup/freedesktop/startup_entries.h"

namespace tidewell::Freedesktop {

std::vector<LaunchAgentInfo> startupItems() {
    return {};
}

bool startsApp(const LaunchAgentInfo&, const LinuxApp&) {
    return false;
}

}  // namespace tidewell::Freedesktop
