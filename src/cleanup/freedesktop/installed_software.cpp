#include "cleanup/freedesktop/installed_software.h"

namespace tidewell::Freedesktop {

InstalledSoftware scanInstalledSoftware() {
    return {};
}

}  // namespace tidewell::Freedesktop
