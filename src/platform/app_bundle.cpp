#include "platform/app_bundle.h"

#include <system_error>

namespace tidewell::platform {

namespace fs = std::filesystem;

namespace {

// A file name that stays in the folder it is joined to.
bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool isRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

std::optional<std::string> AppBundle::identifier() const {
    auto value = infoString("CFBundleIdentifier");
    if (!value || value->empty()) return std::nullopt;
    return value;
}

std::optional<std::string> AppBundle::infoString(std::string_view key) const {
    return stringValue(info, key);
}

std::optional<fs::path> AppBundle::executablePath() const {
    auto name = infoString("CFBundleExecutable");
    if (!name || !isPlainFileName(*name)) return std::nullopt;
    fs::path executable = path / "Contents" / "MacOS" / *name;
    if (!isRegularFile(executable)) return std::nullopt;
    return executable;
}

std::optional<fs::path> AppBundle::iconPath() const {
    auto name = infoString("CFBundleIconFile");
    if (!name || !isPlainFileName(*name)) return std::nullopt;
    fs::path icon = path / "Contents" / "Resources" / *name;
    if (!icon.has_extension()) icon += ".icns";
    if (!isRegularFile(icon)) return std::nullopt;
    return icon;
}

std::optional<AppBundle> openAppBundle(const fs::path& path) {
    std::error_code error;
    if (!fs::is_directory(path, error)) return std::nullopt;
    AppBundle bundle{path, {}};
    if (auto info = readPropertyListDictionary(path / "Contents" / "Info.plist")) bundle.info = std::move(*info);
    return bundle;
}

}  // namespace tidewell::platform
