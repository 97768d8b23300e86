#pragma once

#include "raw_helper_options.h"

namespace tidewell::helper {

namespace InstallLocations {
inline constexpr const char* helperFolder = "/usr/local/libexec/tidewell";
inline constexpr const char* unitFolder = "/etc/systemd/system";
inline constexpr const char* systemdMarker = "/run/systemd/system";
}  // namespace InstallLocations

// Installs this executable as the privileged helper for one user: copies it
// into the helper folder (unless it is already installed in a libexec/tidewell
// folder) and registers a socket-activated service where
// systemd runs, else starts the daemon directly. With dryRun it only prints
// the steps. Returns the process exit status.
int installRawHelper(const RawHelperOptions& options);

}  // namespace tidewell::helper
