#pragma once

#include <memory>

#include "cleanup/app_info.h"
#include "util/cancellation_flag.h"

namespace tidewell::Freedesktop {

// Stops a running Linux app before it is removed: a Flatpak's instances through flatpak
// first, then every remaining process of the app (found by executable or by the control
// group that names its Flatpak id or snap name) under the quit rules of ProcessController
// (SIGTERM, then SIGKILL when `allowForceQuit`); never this process. An app without a Linux
// origin is an ".app" bundle and is stopped by ProcessController::quitApp. Throws
// ProcessController::ProcessError when the app still runs.
void quitLinuxApp(const AppInfo& app, bool allowForceQuit,
                  const std::shared_ptr<const CancellationFlag>& cancellation = nullptr);

}  // namespace tidewell::Freedesktop
