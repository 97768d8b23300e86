#pragma once

#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/leftover_group.h"

namespace tidewell::AppScanner {

struct ScanResult {
    std::vector<AppInfo> apps;
    std::vector<LeftoverGroup> leftovers;

    bool operator==(const ScanResult&) const = default;
};

// The inventory without the permission-sensitive places, then the leftovers
// of apps it does not hold. The model runs the two passes separately.
ScanResult scanAll();

}  // namespace tidewell::AppScanner
