#pragma once

#include "model/app_model.h"

namespace tidewell::testing {

// Engines that find nothing: pages built on them show only their own texts and whatever a
// test puts into the model (repair files go through the real diagnosis).
inline AppModel::Engines quietEngines() {
    AppModel::Engines engines;
    engines.scanApps = [](bool) { return std::vector<AppInfo>{}; };
    engines.scanSafeCleanup = [] { return std::vector<SafeCleanupItem>{}; };
    engines.scanLeftovers = [](const std::vector<AppInfo>&) { return std::vector<LeftoverGroup>{}; };
    engines.mountedExternalVolumes = [] { return std::vector<ExternalRecoveryVolume>{}; };
    return engines;
}

}  // namespace tidewell::testing
