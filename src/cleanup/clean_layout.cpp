#include "cleanup/clean_layout.h"

namespace tidewell {

AppScanner::ScanResult CleanLayout::scanAll() const {
    AppScanner::ScanResult result;
    result.apps = scanApps(false);
    result.leftovers = scanLeftovers(result.apps);
    return result;
}

namespace CleanLayouts {

const CleanLayout& active() {
    return platform::activeLayoutKind() == platform::LayoutKind::macos ? macos() : freedesktop();
}

}  // namespace CleanLayouts

}  // namespace tidewell
