#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/property_list.h"

namespace tidewell::platform {

// An application bundle: a folder (conventionally "Name.app") whose
// Contents/Info.plist describes it.
struct AppBundle {
    std::filesystem::path path;
    // Empty when Contents/Info.plist is missing, unreadable or not a dictionary.
    PropertyListValue::Dictionary info;

    // "CFBundleIdentifier" when it is a non-empty String.
    std::optional<std::string> identifier() const;
    // An Info value when it is a String.
    std::optional<std::string> infoString(std::string_view key) const;
    // Contents/MacOS/<CFBundleExecutable> when the name is a plain file name
    // and a file is there. Names with "/" or "." parts are refused: they would
    // point outside the bundle and tie unrelated programs to it.
    std::optional<std::filesystem::path> executablePath() const;
    // Contents/Resources/<CFBundleIconFile> (".icns" added when the name has no
    // extension) when that file exists.
    std::optional<std::filesystem::path> iconPath() const;
};

// None unless a folder exists at the path (links followed).
std::optional<AppBundle> openAppBundle(const std::filesystem::path& path);

}  // namespace tidewell::platform
