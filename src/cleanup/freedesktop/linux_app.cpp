#include "cleanup/freedesktop/linux_app.h"

namespace tidewell::Freedesktop {

std::string_view rawValue(AppOrigin origin) {
    switch (origin) {
        case AppOrigin::flatpak:
            return "Flatpak";
        case AppOrigin::snap:
            return "Snap";
        case AppOrigin::appImage:
            return "AppImage";
        case AppOrigin::debianPackage:
            return "Debian package";
        case AppOrigin::local:
            return "Local";
    }
    return "Local";
}

std::optional<AppOrigin> appOriginFromRawValue(std::string_view raw) {
    for (const AppOrigin origin :
         {AppOrigin::flatpak, AppOrigin::snap, AppOrigin::appImage, AppOrigin::debianPackage, AppOrigin::local}) {
        if (rawValue(origin) == raw) return origin;
    }
    return std::nullopt;
}

}  // namespace tidewell::Freedesktop
