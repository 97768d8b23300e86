#include "cleanup/removal_route.h"

namespace tidewell {

std::string rawValue(RemovalRoute route) {
    switch (route) {
        case RemovalRoute::trash:
            return "Moved to Trash";
        case RemovalRoute::flatpak:
            return "Removed by Flatpak";
        case RemovalRoute::snap:
            return "Removed by snapd";
        case RemovalRoute::apt:
            return "Removed by apt";
        case RemovalRoute::hiddenAutostart:
            return "Hidden from autostart";
    }
    return "Moved to Trash";
}

bool isPackageManagerRoute(RemovalRoute route) {
    return route == RemovalRoute::flatpak || route == RemovalRoute::snap || route == RemovalRoute::apt;
}

}  // namespace tidewell
