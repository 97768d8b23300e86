#include "cleanup/freedesktop/linux_leftovers.h"

namespace tidewell::Freedesktop {

std::vector<LeftoverGroup> leftovers(const InstalledSoftware&) {
    return {};
}

}  // namespace tidewell::Freedesktop
