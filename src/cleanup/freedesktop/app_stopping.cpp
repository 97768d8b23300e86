#include "cleanup/freedesktop/app_stopping.h"

#include "cleanup/freedesktop/app_processes.h"
#include "cleanup/freedesktop/flatpak/flatpak_removal.h"
#include "cleanup/process_controller.h"

namespace tidewell::Freedesktop {

namespace {

// The app as the inventory matched its processes; its executable is not known here.
LinuxApp linuxApp(const AppInfo& app, AppOrigin origin) {
    LinuxApp described;
    described.origin = origin;
    described.identifier = app.bundleIdentifier;
    // Every process runs from inside "/": such a path names no app's files.
    const std::filesystem::path path(app.path);
    if (path.is_absolute() && !path.lexically_normal().relative_path().empty()) described.path = path;
    return described;
}

}  // namespace

void quitLinuxApp(const AppInfo& app, bool allowForceQuit,
                  const std::shared_ptr<const CancellationFlag>& cancellation) {
    const auto origin = appOriginFromRawValue(app.origin);
    // Without a Linux origin the app is an ".app" bundle: the bundle's own rules apply.
    if (!origin) return ProcessController::quitApp(app, allowForceQuit, cancellation);
    if (*origin == AppOrigin::flatpak) killFlatpakInstances(app.bundleIdentifier);
    const LinuxApp described = linuxApp(app, *origin);
    ProcessController::quitProcesses(
        [&described](const platform::RunningProcess& process) { return runsApp(appProcess(process), described); },
        allowForceQuit, cancellation);
}

}  // namespace tidewell::Freedesktop
