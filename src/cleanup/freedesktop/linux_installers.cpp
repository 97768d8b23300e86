#include "cleanup/freedesktop/linux_installers.h"

namespace tidewell::Freedesktop {

std::vector<AppScanner::InstallerCandidate> installerCandidates() {
    return {};
}

}  // namespace tidewell::Freedesktop
